#include "graph/StandInFactory.h"

#include "graph/AviMuxFilter.h"
#include "graph/FileWriterFilter.h"
#include "graph/FilterGraph.h"
#include "graph/QtMuxFilter.h"

namespace krvx {
namespace graph {

using namespace dshow;

HResult CreateStandInObject(const Guid& classId, const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (classId == kClsidFilterGraph) return FilterGraph::Create(iid, object);
    if (classId == kClsidAviDest) return AviMuxFilter::Create(iid, object);
    if (classId == kClsidFileWriter) return FileWriterFilter::Create(iid, object);
    if (classId == kClsidQtMux) return QtMuxFilter::Create(iid, object);
    return kClassNotRegistered;
}

}  // namespace graph
}  // namespace krvx

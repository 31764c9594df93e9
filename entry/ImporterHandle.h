// The importer that lives in the host's private-data handle.
#pragma once
#include "host/HostRecords.h"
#include "host/HostTables.h"

namespace krvx {

class CAVIFileImporter;

// The importer in the handle's bytes; null for a null handle or master pointer.
CAVIFileImporter* ImporterFromHandle(PrivateDataHandle handle);

// The get-or-create step of imOpenFile8 and imGetInfo8: the importer in *field, or a new handle the
// size of an importer with one constructed in it (stored in *field). Null when none can be had.
CAVIFileImporter* GetOrCreateImporter(const imStdParms* stdParms, PrivateDataHandle* field);

}  // namespace krvx

#!/usr/bin/env python3
"""The layer checker on small trees: it passes a tree that only looks down, and fails one that
includes upward, one whose folders include each other, a codec that reaches up to the container, an OS
header above platform/ and a folder that has no place in the order."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = sys.argv.pop(1) if len(sys.argv) > 1 else None


def make_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as out:
            out.write(text)


def run(files):
    with tempfile.TemporaryDirectory() as root:
        make_tree(root, files)
        done = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        return done.returncode, done.stdout


BASE = {
    "platform/file.h": "#pragma once\n#include <cstdint>\n",
    "platform/posix/file.cpp": '#include "platform/file.h"\n#include <unistd.h>\n',
    "codec/include/KRVXDecoder.h": '#include "IAllocator.h"\n',
    "codec/include/IAllocator.h": "#pragma once\n",
    "host/CAllocator.h": "#include <IAllocator.h>\n#include \"platform/file.h\"\n",
    "avi/AVIReader.cpp": '#include "avi/AVIReader.h"\n#include "platform/file.h"\n',
    "avi/AVIReader.h": "#pragma once\n",
    "importer/Importer.cpp": '#include "avi/AVIReader.h"\n#include <KRVXDecoder.h>\n#include "host/CAllocator.h"\n',
    "codec/encoder/Encoder.h": "#include <KRVXDecoder.h>\n",
    "tools/clip-writer/ClipWriter.cpp": '#include "avi/AVIReader.h"\n#include "codec/encoder/Encoder.h"\n',
    "tests/avi/ReaderTest.cpp": '#include "Parts.h"\n#include "importer/Importer.cpp"\n',
    "tests/avi/Parts.h": "#pragma once\n",
}


class CheckLayersTest(unittest.TestCase):
    def test_a_tree_that_looks_down_passes(self):
        code, out = run(BASE)
        self.assertEqual(code, 0, out)

    def test_an_upward_include_and_the_cycle_it_makes_fail(self):
        code, out = run({**BASE, "avi/AVIReader.h": '#include "importer/Importer.cpp"\n'})
        self.assertEqual(code, 1)
        self.assertIn("avi/AVIReader.h:1: avi/ includes importer/Importer.cpp", out)
        self.assertIn("avi -> importer -> avi", out)

    def test_peers_may_not_include_each_other(self):
        code, out = run({**BASE, "avi/AVIReader.cpp": '#include "host/CAllocator.h"\n#include "convert/Scale.h"\n',
                         "convert/Scale.h": "#pragma once\n"})
        self.assertEqual(code, 1)
        self.assertIn("avi/ includes convert/Scale.h", out)
        self.assertNotIn("host/CAllocator.h, which", out)

    def test_the_codec_sits_below_the_container(self):
        code, out = run({**BASE, "codec/encoder/Encoder.cpp": '#include "avi/AVIReader.h"\n'})
        self.assertEqual(code, 1)
        self.assertIn("codec/encoder/Encoder.cpp:1: codec/ includes avi/AVIReader.h, which is not below it", out)

    def test_the_decoder_interface_includes_nothing_of_ours(self):
        code, out = run({**BASE, "codec/include/KRVXDecoder.h": '#include "host/CAllocator.h"\n'})
        self.assertEqual(code, 1)
        self.assertIn("codec/include/ includes host/CAllocator.h", out)

    def test_system_headers_and_unknown_folders_are_refused(self):
        code, out = run({**BASE, "convert/Pool.cpp": "#include <pthread.h>\n#include <windows.h>\n",
                         "extras/Thing.cpp": "int x;\n"})
        self.assertEqual(code, 1)
        self.assertIn("<pthread.h> above platform/", out)
        self.assertIn("<windows.h> above platform/", out)
        self.assertIn("folder extras/ has no place", out)


if __name__ == "__main__":
    unittest.main()

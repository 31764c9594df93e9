#!/usr/bin/env python3
"""Checks that every source folder includes only folders below it, and that no folder above platform/
includes an operating-system header.

Usage: check-layers.py [ROOT]   (ROOT defaults to the repository holding this script)
Prints one line per offending include and exits 1 when there is any, 0 otherwise.
"""
import os
import re
import sys

# Lower ranks sit lower. A file may include its own folder and folders of a lower rank. The decoder
# interface is the maker's header: it includes nothing of ours, and the host's allocator implements the
# allocator interface it declares, so it sits at the bottom beside platform. The stand-in decoder and
# the encoder need only that interface, so the codec sits just above it, below the container: what
# needs both (the clip writer) lives with the tools.
RANKS = {
    "platform": 0,
    "codec/include": 0,
    "host": 1,
    "dshow": 1,
    "codec": 1,
    "avi": 2,
    "convert": 2,
    "graph": 3,
    "importer": 3,
    "async": 4,
    "trim": 4,
    "companion": 4,
    "entry": 5,
    "tools": 6,
    "tests": 7,
    "bench": 7,
    "fuzz": 7,
}

# Headers only platform/ may include.
SYSTEM_HEADERS = re.compile(
    r"^(windows|winbase|winreg|psapi|tlhelp32|objbase|dshow|strmif|unistd|pthread|dlfcn|fcntl|dirent|"
    r"signal|spawn|poll|sys/.*|linux/.*)\.h$"
)

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")
SKIPPED_FOLDERS = {".git", "build", "node_modules"}


def folder_of(relative_path):
    """The layer a repository-relative path belongs to, or None for files outside every layer."""
    parts = relative_path.split("/")
    if len(parts) > 2 and "/".join(parts[:2]) in RANKS:
        return "/".join(parts[:2])
    return parts[0] if len(parts) > 1 else None


def resolve(root, including_file, bracket, name, interface_headers):
    """The repository-relative path an include names, or None for a standard or outside header."""
    if bracket == '"':
        beside = os.path.normpath(os.path.join(os.path.dirname(including_file), name))
        if os.path.isfile(os.path.join(root, beside)):
            return beside.replace(os.sep, "/")
        if os.path.isfile(os.path.join(root, name)):
            return name
    if name in interface_headers:
        return "codec/include/" + name
    return None


def source_files(root):
    for directory, folders, files in os.walk(root):
        folders[:] = sorted(f for f in folders if f not in SKIPPED_FOLDERS and not f.startswith("."))
        for file in sorted(files):
            if file.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(directory, file), root).replace(os.sep, "/")


def find_cycle(edges):
    """A list of folders forming a cycle in the folder graph, or None."""
    state = {}

    def visit(node, path):
        state[node] = "open"
        for target in sorted(edges.get(node, ())):
            if state.get(target) == "open":
                return path[path.index(target):] + [target]
            if target not in state:
                found = visit(target, path + [target])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def check(root):
    interface_dir = os.path.join(root, "codec", "include")
    interface_headers = set(os.listdir(interface_dir)) if os.path.isdir(interface_dir) else set()
    problems = []
    edges = {}
    for path in source_files(root):
        folder = folder_of(path)
        if folder is None:
            continue
        if folder not in RANKS:
            problems.append(f"{path}: folder {folder}/ has no place in the layer order")
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                bracket, name = match.groups()
                if folder != "platform" and bracket == "<" and SYSTEM_HEADERS.match(name):
                    problems.append(f"{path}:{number}: operating-system header <{name}> above platform/")
                    continue
                target = resolve(root, path, bracket, name, interface_headers)
                target_folder = folder_of(target) if target else None
                if target_folder is None or target_folder == folder:
                    continue
                edges.setdefault(folder, set()).add(target_folder)
                if target_folder not in RANKS or RANKS[target_folder] >= RANKS[folder]:
                    problems.append(f"{path}:{number}: {folder}/ includes {name}, which is not below it")
    cycle = find_cycle(edges)
    if cycle:
        problems.append("folders include each other: " + " -> ".join(cycle))
    return problems


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layers: {len(problems)} problem(s)")
        return 1
    print("check-layers: every folder includes only folders below it")
    return 0


if __name__ == "__main__":
    sys.exit(main())

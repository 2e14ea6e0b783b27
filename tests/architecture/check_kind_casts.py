#!/usr/bin/env python3
"""Keeps each element kind in one place.

Outside a kind's own files, its builder in the panel reader and the kind
table (elements/elementkinds.cpp), no library source casts an object to the
kind's concrete class (qobject_cast, dynamic_cast, static_cast): the code
that needs the class lives in the kind's files, behind ActiveElement or the
kind table.

The kinds are the classes the kind table names that elements/ declares; a
kind's own files are the header declaring it and the .cpp of the same name;
its builder is the panel reader file defining the read function that the
reader's dispatch table calls for one of the kind's element names.

EXCEPTIONS names the casts that stay, each with its reason. STILL_TO_MOVE
holds the files whose kind code has not moved yet, with their number of
casts: a file may only go down, and its count here goes down with it.

Usage: check_kind_casts.py [--bare] <source-dir>
--bare checks a tree of its own (the checker's fixture): without the lists
below and with any number of kinds.
Prints every offending cast, or "kind casts hold".
"""
import os
import re
import sys

LIBRARY_DIRS = ["platform", "resources", "symscan", "core", "targetlink", "elements", "lockgraph", "panel",
                "panelreader", "paneleditor", "svdgenerator", "script", "python", "app"]

# (file, class): the reason the cast is the clearest code there.
EXCEPTIONS = {
    ("elements/treewidgetitem.cpp", "TreeWidget"):
        "a tree branch reaches the tree that holds it; the two classes are one container",
}

# file: casts not yet moved into the kinds' files.
STILL_TO_MOVE = {
}

CAST = re.compile(r"\b(qobject_cast|dynamic_cast|static_cast)\s*<\s*(?:const\s+)?([A-Za-z_][A-Za-z0-9_]*)\s*\*?\s*>")


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def code_lines(text):
    """The lines of a C++ source with comments removed and literals blanked."""
    out = []
    inblock = False
    for line in text.split("\n"):
        result = []
        i = 0
        quote = None
        while i < len(line):
            c, c2 = line[i], line[i:i + 2]
            if inblock:
                if c2 == "*/":
                    inblock = False
                    i += 2
                else:
                    i += 1
                continue
            if quote:
                # A literal's text is blanked: a cast written in a string is none.
                if c == "\\":
                    result.append("  ")
                    i += 2
                    continue
                if c == quote:
                    quote = None
                    result.append(c)
                else:
                    result.append(" ")
                i += 1
                continue
            if c2 == "//":
                break
            if c2 == "/*":
                inblock = True
                i += 2
                continue
            if c in "\"'":
                quote = c
            result.append(c)
            i += 1
        out.append("".join(result))
    return out


def kinds_and_files(root):
    """class -> set of files (relative to root) allowed to cast to it."""
    table = read(os.path.join(root, "elements/elementkinds.cpp"))
    # Rows: kind("Class", {"xml", ...}, ...), box("Class", "written", ...), x.className = "Class".
    rows = {}
    for m in re.finditer(r'\bkind\(\s*"([A-Za-z_]\w*)"\s*,\s*\{([^}]*)\}', table):
        rows[m.group(1)] = re.findall(r'"([^"]+)"', m.group(2))
    for m in re.finditer(r'\bbox\(\s*"([A-Za-z_]\w*)"\s*,\s*"([^"]+)"', table):
        rows[m.group(1)] = [m.group(2)]
    for m in re.finditer(r'(\w+)\.className\s*=\s*"([A-Za-z_]\w*)"\s*;', table):
        xml = re.search(m.group(1) + r'\.xmlNames\s*=\s*QStringList\{([^}]*)\}', table)
        rows[m.group(2)] = re.findall(r'"([^"]+)"', xml.group(1)) if xml else []

    declared = {}
    elements = os.path.join(root, "elements")
    for name in sorted(os.listdir(elements)):
        if not name.endswith(".h"):
            continue
        for m in re.finditer(r"^class\s+([A-Za-z_]\w*)\s*(?:final\s*)?:", read(os.path.join(elements, name)), re.M):
            declared[m.group(1)] = "elements/" + name

    # The reader's builders: element name -> read function -> file defining it.
    dispatch = read(os.path.join(root, "panelreader/panelxmlreader_dispatch.cpp"))
    builds = {}
    for m in re.finditer(r'\{\s*"([a-z]+)"\s*,\s*(?:true|false)\s*,\s*\[[^\]]*\]\s*\([^)]*\)\s*\{\s*r\.(\w+)\(', dispatch):
        builds.setdefault(m.group(1), m.group(2))
    # A box container's name passes its BoxKind to readBoxContainer.
    definers = {}
    reader = os.path.join(root, "panelreader")
    for name in sorted(os.listdir(reader)):
        if name.startswith("panelxmlreader") and name.endswith(".cpp"):
            for m in re.finditer(r"PanelXmlReader::(\w+)\s*\(", read(os.path.join(reader, name))):
                definers.setdefault(m.group(1), "panelreader/" + name)

    allowed = {}
    for cls, xml_names in rows.items():
        header = declared.get(cls)
        if not header:
            continue  # a Qt class (QRadioButton, QwtDial): not ours to keep in one place
        files = {header, header[:-2] + ".cpp", "elements/elementkinds.cpp"}
        for xml in xml_names:
            function = builds.get(xml)
            if function and function in definers:
                files.add(definers[function])
        allowed[cls] = files
    return allowed


def library_sources(root):
    for top in LIBRARY_DIRS:
        base = os.path.join(root, top)
        if not os.path.isdir(base):
            continue
        for directory, subdirs, files in os.walk(base):
            subdirs[:] = sorted(d for d in subdirs if not d.startswith("build")
                                and not os.path.exists(os.path.join(directory, d, "CMakeCache.txt")))
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    yield os.path.relpath(os.path.join(directory, name), root)


def main():
    args = sys.argv[1:]
    bare = "--bare" in args
    args = [a for a in args if a != "--bare"]
    if len(args) != 1:
        print("usage: check_kind_casts.py [--bare] <source-dir>", file=sys.stderr)
        return 2
    root = args[0]
    exceptions = {} if bare else EXCEPTIONS
    still_to_move = {} if bare else STILL_TO_MOVE
    allowed = kinds_and_files(root)
    # The real table has dozens of rows: a handful means its form changed
    # and this reading of it no longer sees the kinds.
    if len(allowed) < (1 if bare else 20):
        print("kind table not understood: found %d kinds" % len(allowed))
        return 1

    faults = []
    counts = {}
    used_exceptions = set()
    for path in library_sources(root):
        for number, line in enumerate(code_lines(read(os.path.join(root, path))), 1):
            for m in CAST.finditer(line):
                cls = m.group(2)
                if cls not in allowed or path in allowed[cls]:
                    continue
                if (path, cls) in exceptions:
                    used_exceptions.add((path, cls))
                    continue
                if path in still_to_move:
                    counts[path] = counts.get(path, 0) + 1
                    continue
                faults.append("  %s:%d: %s to %s" % (path, number, m.group(1), cls))

    for path, limit in sorted(still_to_move.items()):
        count = counts.get(path, 0)
        if count > limit:
            faults.append("  %s: %d casts to element kinds, more than the %d still to move" % (path, count, limit))
        elif count == 0:
            faults.append("  %s: no casts to element kinds left: remove it from STILL_TO_MOVE" % path)
        elif count < limit:
            faults.append("  %s: %d casts to element kinds left: lower its count in STILL_TO_MOVE from %d"
                          % (path, count, limit))
    for path, cls in sorted(set(exceptions) - used_exceptions):
        faults.append("  exception %s / %s matches no cast any more: remove it" % (path, cls))

    if faults:
        print("Casts to concrete element classes outside their kind's files:\n")
        print("\n".join(faults))
        print("\n%d fault(s). Move the code into the kind's files (ActiveElement, the kind table) "
              "or name the exception with its reason." % len(faults))
        return 1
    print("kind casts hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())

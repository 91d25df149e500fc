#!/usr/bin/env python3
"""Prints which object files take the room in vistrel.exe, from the linker map."""
import collections
import re
import sys

path = sys.argv[1] if len(sys.argv) > 1 else "build/vistrel.map"
lines = open(path).read().split("\n")
sizes = collections.Counter()
section = re.compile(r"\s+\.(text|rdata|data|pdata|xdata|eh_frame|gcc_except_table)\S*")
entry = re.compile(r"\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)")
for i, line in enumerate(lines):
    if not section.match(line):
        continue
    rest = line[section.match(line).end():]
    m = entry.match(rest) or (entry.match(lines[i + 1]) if not rest.strip() and i + 1 < len(lines) else None)
    if m:
        sizes[m.group(2).split("/")[-1]] += int(m.group(1), 16)
print("total", sum(sizes.values()))
for name, size in sizes.most_common(int(sys.argv[2]) if len(sys.argv) > 2 else 25):
    print(f"{size:8d} {name}")

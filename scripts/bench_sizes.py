#!/usr/bin/env python3
"""Splits a PE executable's size into payload resource, other resources, code and data
(headers and loaded sections), and symbols (debug sections and the symbol table behind
the last section, both gone when stripped). Prints JSON."""
import json
import struct
import sys

PAYLOAD_TYPE = "ZIP"
PAYLOAD_ID = 210


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        self.resource_rva = struct.unpack_from("<I", data, optional + 112 + 2 * 8)[0]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, rva, vsize, raw_size, raw_at))

    def offset(self, rva):
        for _name, start, vsize, raw_size, raw_at in self.sections:
            if start <= rva < start + max(vsize, raw_size):
                return raw_at + rva - start
        raise ValueError("RVA outside every section")

    def resource_section(self):
        for section in self.sections:
            if section[1] <= self.resource_rva < section[1] + section[2]:
                return section
        return None

    def entries(self, directory):
        """(name or id, is_directory, offset of target) of one resource directory."""
        base = self.offset(self.resource_rva)
        named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, bool(target & 0x80000000), target & 0x7FFFFFFF

    def payload_bytes(self):
        if not self.resource_rva:
            return 0
        for type_name, _, type_dir in self.entries(0):
            if type_name != PAYLOAD_TYPE:
                continue
            for res_id, _, name_dir in self.entries(type_dir):
                if res_id != PAYLOAD_ID:
                    continue
                for _lang, _, data_entry in self.entries(name_dir):
                    at = self.offset(self.resource_rva) + data_entry
                    return struct.unpack_from("<II", self.data, at)[1]
        return 0


def split(path):
    with open(path, "rb") as f:
        data = f.read()
    image = Image(data)
    resources = image.resource_section()
    resource_bytes = resources[3] if resources else 0
    payload = image.payload_bytes()
    debug = sum(s[3] for s in image.sections if s[0].startswith((".debug", "/")))
    sections_end = max(s[4] + s[3] for s in image.sections if s[3])
    symbols = debug + len(data) - sections_end
    # Headers, loaded sections and the file padding between them.
    code_and_data = len(data) - symbols - resource_bytes
    return {
        "file": len(data),
        "payload": payload,
        "other_resources": resource_bytes - payload,
        "code_and_data": code_and_data,
        "symbols": symbols,
        "without_payload": len(data) - payload,
    }


if __name__ == "__main__":
    print(json.dumps(split(sys.argv[1])))

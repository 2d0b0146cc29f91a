#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (corpus/<target>/) and their dictionaries.

The seeds are small and realistic: what a server, a user, a hand-edited registry or another
program would really give. Run again after changing them; the files are committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def utf16(text):
    return text.encode("utf-16-le")


def dbf(fields, records, count=None, deleted=()):
    """A dBASE III table: header, descriptors, records of blank-padded fields."""
    record_length = 1 + sum(length for _, length in fields)
    header_length = 32 + 32 * len(fields) + 1
    n = len(records) if count is None else count
    out = struct.pack("<BBBBIHH20x", 3, 124, 6, 11, n, header_length, record_length)
    for name, length in fields:
        out += name.encode().ljust(11, b"\0") + b"C" + b"\0" * 4 + bytes([length, 0]) + b"\0" * 14
    out += b"\r"
    for i, values in enumerate(records):
        out += b"*" if i in deleted else b" "
        for (_, length), value in zip(fields, values):
            out += value.encode("latin-1")[:length].ljust(length)
    return out + b"\x1a"


def server_answers():
    seeds = {
        "connstat_ok": "0000C0DE,5001 connstat 10.0.0.7 3 -1 0 0 from ann\nSUCCESS",
        "connstat_unknown": "0000C0DE,5001 connstat host 3 4 0 0\nERROR Unknown command",
        "feature": "0000C0DE,5001 feature username host 3 4 0 0 from ann\nSUCCESS",
        "feature_refused": "0000C0DE,5001 feature username host 3 4 0 0\nERROR Unsupported command",
        "read_real": "0000C0DE,0000002A read output 1 02 05 100\nOK REAL\n12.5 degC",
        "read_int": "0000C0DE,0000002B read output 1 02 05 101 from ann\nOK INT\n-7",
        "read_string": "0000C0DE,0000002C read output 1 02 05 102\nOK STRING\nPUMP RUNNING",
        "read_error": "0000C0DE,0000002D read output 1 02 05 103\nERROR 105",
        "read_error_text": "0000C0DE,0000002E read output 1 02 05 104\nERROR Unknown response code",
        "cancel": "0000C0DE,00000000 cancel\nINFO Cannot reach PCU",
    }
    for name, text in seeds.items():
        write("server_answers", name, text)


def zandor_request():
    seeds = {
        "read": "0000C0DE,0000002A read output 1 02 05 100",
        "read_user": "0000C0DE,0000002A read output 250 12 31 65535 from ann",
        "connstat": "0000C0DE,5001 connstat 127.0.0.1 3 -1 0 0 from ann",
        "feature": "0000C0DE,5001 feature username 127.0.0.1 3 4 0 0 from ann",
        "missing": "0000C0DE,0000002A read output 1 02",
        "unknown": "hello",
    }
    for name, text in seeds.items():
        write("zandor_request", name, text)


def point_description():
    # First byte: 0 for 8-bit text, 1 for UTF-16 units.
    seeds = {
        "item": "\0Module 1,2,5 Block 10",
        "lower": "\0module 250,12,31 block 65535 trailing",
        "prefix": "\0Tag: MODULE 3,4,5 BLOCK 6",
        "negative": "\0Module -1,+2, 3 Block -4",
        "wide": b"\1" + utf16("Module 1,2,3 Block 4 -- TI-\u00c9T -- NO_DATABASE"),
    }
    for name, data in seeds.items():
        write("point_description", name, data)


def title_info():
    seeds = {
        "one": "version=2|zandor=1.2,plant-host,5001",
        "two": "zandor=1,hostA,5001|zandor=3.250,10.0.0.9,5002|other=x",
        "no_pcu": "zandor=12345678,h,50010000",
        "stop": "zandor=1.2,h,1|note|zandor=2,h,2",
        "listing": "zandor=4,h,5\n*.hlp\nplant.hlp\n\\sub\nold.HLP\nreadme.txt",
    }
    for name, text in seeds.items():
        write("title_info", name, text)


def command_line():
    seeds = {
        "title": "\0\0C:\\Titles\\plant.hlp",
        "quoted": "\0\0\"C:\\Program Files\\Titles\\plant view.hlp\"",
        "slashes": "\0\0/a/b c/d \"e f\"/g",
        "wildcard": "\0\0C:\\Titles\\plant*.hlp",
        "wide": b"\1\0" + utf16("\"C:\\T\u00eftres\\p.lnk\" x"),
    }
    for name, data in seeds.items():
        write("command_line", name, data)


def reg_file_rewrite():
    key = "HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel"
    export = (
        "Windows Registry Editor Version 5.00\r\n\r\n"
        f"[{key}]\r\n\"Frequency\"=dword:000003e8\r\n\"LastLoaded\"=\"Plant\"\r\n\r\n"
        f"[{key}\\Tags\\List1]\r\n\"TagLookUp1\"=\"Module 1,2,3 Block 4 -- PI -- NO_DATABASE\"\r\n"
    )
    write("reg_file_rewrite", "ansi", b"\0" + export.encode("latin-1"))
    write("reg_file_rewrite", "utf16", b"\1\xff\xfe" + utf16(export))
    write("reg_file_rewrite", "lower_case", b"\0" + export.lower().encode("latin-1"))


def tag_databases():
    fields = [("TAGNAME", 12), ("LOOP", 3), ("PCU", 3), ("MODULE", 3), ("BLOCK", 5)]
    records = [("PI-104", "1", "2", "3", "4"), ("TI-200", "10", "250", "31", "65535"),
               ("OLD", "1", "1", "1", "1"), ("", "", "", "", "")]
    table = dbf(fields, records, deleted={2})
    # First byte: 0 dBASE bytes, 1 comma-separated bytes, 2 a .DBF file, 3 a .csv file.
    write("tag_databases", "dbase", b"\0" + table)
    write("tag_databases", "dbase_file", b"\2" + table)
    write("tag_databases", "dbase_count_past_end", b"\0" + dbf(fields, records[:2], count=70000))
    write("tag_databases", "dbase_other_fields",
          b"\0" + dbf([("DESC", 8), ("T_NAME", 8), ("LOOPNO", 2), ("PCUNO", 2), ("MODULENO", 2),
                       ("BLOCKNO", 5)], [("pump", "FI-1", "1", "2", "3", "4")]))
    csv = "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nPI-104,1,2,3,4\r\n\"TI-200\",10,250,31,65535\r\n"
    write("tag_databases", "csv", "\1" + csv)
    write("tag_databases", "csv_file", "\3" + csv)
    write("tag_databases", "csv_reordered", "\1block, \"Tagname\" ,loop,module,pcu,extra\nA,1,2,3,4,5,6\n")
    write("tag_databases", "csv_utf16", b"\3\xff\xfe" + utf16("TagName,Loop,PCU,Module,Block\r\nT\u00c9,1,2,3,4\r\n"))


def tag_list_import():
    lines = ("Module 1,2,3 Block 4 -- PI-104 -- NO_DATABASE\r\n"
             "Module 1,2,3 Block 5 -- TI-105 -- C:\\Tags\\plant.csv\r\n")
    # First byte: the user's answers and choices (see the target).
    write("tag_list_import", "two", "\x08" + lines)
    write("tag_list_import", "replace_loaded", "\x0d" + lines)
    write("tag_list_import", "bad_point", "\x01Module 1,2,x Block 4 -- T -- D\r\n" + lines)
    many = "".join(f"Module 1,2,3 Block {i} -- T{i} -- NO_DATABASE\r\n" for i in range(1, 56))
    write("tag_list_import", "fifty_five", "\x18" + many)
    write("tag_list_import", "malformed", "\x08Loop 1 -- T -- D\r\n")


def profile_startup():
    ini = (
        "[Brixtel]\r\nPortLowerLimit=5100\r\nPortUpperLimit=5200\r\nNumberOfLoopEntries=2\r\n"
        "LoopEntry1=1.2 5001 127.0.0.1\r\nLoopEntry2=3 sim-host\r\nFrequency=1000\r\nLogSize=5\r\n"
        "LogDate=CHECKED\r\nLogReqTime=checked\r\nLogFirstDate=UNCHECKED\r\nStartHour=7\r\n"
        "StartMinute=30\r\nStartTime=CHECKED\r\nSyncLog=UNCHECKED\r\nDatabaseFiles=1\r\n"
        "Database1=C:\\Tags\\plant.csv\r\nSigDig=4\r\nNumberofTags=2\r\n"
        "TagLookUp1=Module 1,2,3 Block 4--PI-104--NO_DATABASE\r\n"
        "TagLookUp2=Module 1,2,3 Block 5--TI-105--C:\\Tags\\plant.csv\r\n"
    )
    # First byte: bit 0 UTF-16 text, bit 1 Windows NT 4.0.
    write("profile_startup", "demo", "\0" + ini)
    write("profile_startup", "nt4_utf16", b"\x03" + utf16(ini))
    write("profile_startup", "damaged_counts",
          "\0[Brixtel]\nNumberOfLoopEntries=-1\nDatabaseFiles=4000000000\nNumberofTags=99999\n"
          "TagLookUp1=Module 1,2,3 Block 4--A--NO_DATABASE\n")
    write("profile_startup", "other_section", "\0[Other]\nFrequency=5\n[Brixtel]\nFrequency=250\n")


def registry_startup():
    # Built by FuzzedDataProvider: bytes are taken from the front for choices and from the
    # back for integers, so these seeds are only starting points for the mutations.
    write("registry_startup", "settings", b"\1\0" + b"\4\x10\x27\0\0" * 8)
    write("registry_startup", "counts", b"\0\3\xff\xff\xff\xff\x0a\1" * 12)
    write("registry_startup", "texts",
          b"\0\2" + utf16("Module 1,2,3 Block 4--PI--NO_DATABASE\0") + b"\4\5\6\7" * 6)


def dictionaries():
    words = {
        "server_answers": ["connstat", "feature username", "read output", "cancel", "SUCCESS",
                           "ERROR", "OK REAL", "OK INT", "OK STRING", "INFO", " from "],
        "zandor_request": ["connstat", "feature username", "read output", " from "],
        "point_description": ["Module ", "MODULE ", " Block ", "BLOCK ", ","],
        "title_info": ["version=", "zandor=", "|", ".hlp", "*", "?"],
        "profile_startup": ["[Brixtel]", "NumberOfLoopEntries=", "LoopEntry1=", "DatabaseFiles=",
                            "Database1=", "NumberofTags=", "TagLookUp1=", "PortLowerLimit=",
                            "Frequency=", "SigDig=", "CHECKED", "UNCHECKED", "dummy value",
                            "4294967295", "-2147483648"],
        "tag_list_import": [" -- ", "Module ", " Block ", "NO_DATABASE", "\r\n"],
        "tag_databases": ["TAGNAME", "LOOP", "PCU", "MODULE", "BLOCK", "\xff\xfe", "\r\n"],
    }
    for target, entries in words.items():
        with open(os.path.join(HERE, "corpus", target + ".dict"), "w", encoding="latin-1") as f:
            for word in entries:
                escaped = "".join(c if 32 <= ord(c) < 127 and c not in "\"\\" else f"\\x{ord(c):02X}"
                                  for c in word)
                f.write(f'"{escaped}"\n')


if __name__ == "__main__":
    server_answers()
    zandor_request()
    point_description()
    title_info()
    command_line()
    reg_file_rewrite()
    tag_databases()
    tag_list_import()
    profile_startup()
    registry_startup()
    dictionaries()

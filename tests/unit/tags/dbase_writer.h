#pragma once
// Builds dBASE tables byte by byte, so tests can also make the malformed ones.
#include <cstdint>
#include <string>
#include <vector>

namespace brixtel::testing {

struct DbfField {
    std::string name;
    unsigned length;
};

struct DbfTable {
    std::vector<DbfField> fields;
    // Each record as stored after its deletion flag; shorter ones are padded with blanks.
    std::vector<std::string> records = {};
    std::vector<bool> deleted = {}; // by record index; missing entries are live records

    // Stored header values; by default the ones that fit the fields and records.
    std::int64_t record_count = -1;
    int header_length = -1;
    int record_length = -1;
};

std::string dbf_bytes(const DbfTable& table);

// A record's text: the values left-aligned in fields of the given lengths.
std::string dbf_record(const std::vector<DbfField>& fields, const std::vector<std::string>& values);

} // namespace brixtel::testing

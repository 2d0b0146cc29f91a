#include "dbase_writer.h"

namespace brixtel::testing {

namespace {

void put_16(std::string& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

} // namespace

std::string dbf_record(const std::vector<DbfField>& fields,
                       const std::vector<std::string>& values) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value = i < values.size() ? values[i] : std::string();
        value.resize(fields[i].length, ' ');
        record += value;
    }
    return record;
}

std::string dbf_bytes(const DbfTable& table) {
    unsigned fitting_record_length = 1;
    for (const DbfField& f : table.fields) {
        fitting_record_length += f.length;
    }
    const unsigned record_length = table.record_length >= 0
                                       ? static_cast<unsigned>(table.record_length)
                                       : fitting_record_length;
    const unsigned header_length = table.header_length >= 0
                                       ? static_cast<unsigned>(table.header_length)
                                       : static_cast<unsigned>(32 + 32 * table.fields.size() + 1);
    const auto count = static_cast<std::uint32_t>(
        table.record_count >= 0 ? table.record_count
                                : static_cast<std::int64_t>(table.records.size()));

    std::string bytes(32, '\0');
    bytes[0] = 0x03;
    for (int i = 0; i < 4; ++i) {
        bytes[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    }
    put_16(bytes, 8, header_length);
    put_16(bytes, 10, record_length);
    for (const DbfField& f : table.fields) {
        std::string descriptor(32, '\0');
        descriptor.replace(0, std::min<std::size_t>(f.name.size(), 11), f.name.substr(0, 11));
        descriptor[11] = 'C';
        descriptor[16] = static_cast<char>(f.length & 0xFF);
        bytes += descriptor;
    }
    bytes += '\x0D';
    if (bytes.size() < header_length) {
        bytes.resize(header_length, '\0');
    }
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        const bool deleted = i < table.deleted.size() && table.deleted[i];
        std::string record = (deleted ? "*" : " ") + table.records[i];
        record.resize(record_length, ' ');
        bytes += record;
    }
    bytes += '\x1A';
    return bytes;
}

} // namespace brixtel::testing

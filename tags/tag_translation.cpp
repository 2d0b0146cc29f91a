#include "tags/tag_translation.h"

#include "core/add_point_check.h"
#include "platform/case_fold.h"
#include "shell/number_entry.h"
#include "shell/string_table.h"
#include "tags/tag_list_entry.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace brixtel {
namespace {

constexpr std::size_t kTagNameLimit = 1024;
constexpr std::size_t kDescriptionLimit = 256;

auto address_key(const TagRecord& r) {
    return std::make_tuple(r.loop, r.pcu, r.module, r.block);
}

auto address_key(const BlockAddress& a) {
    return std::make_tuple(a.loop, a.pcu, a.module, a.block);
}

BlockAddress address_of(const TagRecord& r) {
    return {r.loop, r.pcu, r.module, r.block};
}

bool same_address(const TagRecord& a, const TagRecord& b) {
    return address_key(a) == address_key(b);
}

// A field as the user left it: cut to what the dialog reads, blanks at the ends dropped.
std::wstring field_value(std::wstring_view text, std::size_t limit) {
    return std::wstring(trim_blanks(text.substr(0, std::min(text.size(), limit))));
}

LookupField lookup_field(AddressField field) {
    switch (field) {
    case AddressField::Loop:
        return LookupField::Loop;
    case AddressField::Pcu:
        return LookupField::Pcu;
    case AddressField::Module:
        return LookupField::Module;
    case AddressField::Block:
    case AddressField::None:
        break;
    }
    return LookupField::Block;
}

// The lines of message 292 naming what the description must not hold, or empty when it is
// acceptable. These characters separate the fields of an entry text and of a list file.
std::wstring forbidden_description_lines(std::wstring_view description) {
    std::wstring lines;
    const auto add = [&lines](StringId id) {
        if (!lines.empty())
            lines += L'\n';
        lines += string_text(id);
    };
    if (description.find(L"--") != std::wstring_view::npos)
        add(ids::DoubleHyphen);
    if (description.find(L';') != std::wstring_view::npos)
        add(ids::SemiColon);
    if (description.find(L',') != std::wstring_view::npos)
        add(ids::Comma);
    return lines;
}

} // namespace

DuplicateSplit split_duplicates(std::vector<TagRecord> results) {
    std::stable_sort(results.begin(), results.end(), [](const TagRecord& a, const TagRecord& b) {
        return address_key(a) < address_key(b);
    });
    std::vector<TagRecord> distinct;
    for (TagRecord& result : results) {
        const bool seen =
            std::any_of(distinct.begin(), distinct.end(), [&result](const TagRecord& kept) {
                return same_address(kept, result) && kept.database == result.database &&
                       equal_ignoring_case(kept.tag, result.tag);
            });
        if (!seen)
            distinct.push_back(std::move(result));
    }
    DuplicateSplit split;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        const bool shared = (i > 0 && same_address(distinct[i - 1], distinct[i])) ||
                            (i + 1 < distinct.size() && same_address(distinct[i + 1], distinct[i]));
        (shared ? split.grouped : split.singles).push_back(std::move(distinct[i]));
    }
    return split;
}

DuplicateOffer duplicate_offer(const DuplicateSplit& split) {
    DuplicateOffer offer;
    std::merge(
        split.singles.begin(), split.singles.end(), split.grouped.begin(), split.grouped.end(),
        std::back_inserter(offer.results),
        [](const TagRecord& a, const TagRecord& b) { return address_key(a) < address_key(b); });
    for (std::size_t i = 0; i < offer.results.size(); ++i) {
        const TagRecord& result = offer.results[i];
        if (std::find(split.singles.begin(), split.singles.end(), result) != split.singles.end())
            offer.preselected.push_back(i);
    }
    return offer;
}

DuplicateSelectionVerdict check_duplicate_selection(std::span<const TagRecord> grouped,
                                                    std::span<const std::size_t> selected) {
    if (selected.empty())
        return DuplicateSelectionVerdict::NothingSelected;
    for (std::size_t i = 0; i < selected.size(); ++i)
        for (std::size_t j = i + 1; j < selected.size(); ++j)
            if (same_address(grouped[selected[i]], grouped[selected[j]]))
                return DuplicateSelectionVerdict::DuplicatesRemain;
    return DuplicateSelectionVerdict::Accept;
}

TagRow tag_row(const BlockAddress& address, std::wstring_view tag, std::int32_t database_number,
               std::wstring_view database_path) {
    TagRow row;
    row.block_text = item_text(address);
    row.tag = tag.empty() ? string_text(ids::NoTag) : tag;
    row.address = address;
    if (database_number != kNoDatabaseNumber)
        row.database_text = database_path;
    else if (equal_ignoring_case(row.tag, string_text(ids::NoTag)))
        row.database_text = string_text(ids::NoDatabase);
    else
        row.database_text = string_text(ids::UserDescription);
    return row;
}

std::vector<TagRow> tag_rows(const CurrentTagList& points, const DatabaseNames& databases) {
    std::vector<TagRow> rows;
    for (const PointNode& point : points) {
        if (point.database_number == kDetachedDatabase)
            continue;
        rows.push_back(tag_row(point.address, point.tag_name, point.database_number,
                               databases.slot_text(point.database_number)));
    }
    return rows;
}

void sort_tag_rows(std::vector<TagRow>& rows, TagRowColumn column, bool ascending) {
    const auto less = [column](const TagRow& a, const TagRow& b) {
        switch (column) {
        case TagRowColumn::BlockNumber:
            return address_key(a.address) < address_key(b.address);
        case TagRowColumn::Tag:
            return upper_case(a.tag) < upper_case(b.tag);
        case TagRowColumn::FromDatabase:
            break;
        }
        return upper_case(a.database_text) < upper_case(b.database_text);
    };
    if (ascending)
        std::stable_sort(rows.begin(), rows.end(), less);
    else
        std::stable_sort(rows.begin(), rows.end(),
                         [&less](const TagRow& a, const TagRow& b) { return less(b, a); });
}

TagTranslation::TagTranslation(TagTranslationPartners partners, TagTranslationView& view)
    : partners_(std::move(partners)), view_(view) {}

void TagTranslation::look_up_by_tag_name() {
    const std::wstring name = field_value(view_.field_text(LookupField::TagName), kTagNameLimit);
    if (name.empty())
        return;
    if (view_.row_count() >= kMaxListedPoints) {
        partners_.seat.message_box(ids::TooManyPoints, ids::NumberOfPointsExceeded, mb::Ok);
        return;
    }
    std::vector<TagRecord> results = brixtel::look_up_by_tag_name(partners_.index, name);
    if (results.empty()) {
        partners_.seat.message_box(ids::NoTagMatch, ids::TagNameAlert, mb::Ok, {name});
        view_.select_and_focus(LookupField::TagName);
        return;
    }
    if (results.size() > 1)
        results = choose_among_duplicates(std::move(results));
    const std::size_t added = add_results(results);
    view_.set_field_text(LookupField::TagName, L"");
    if (added > 0) {
        view_.set_field_text(LookupField::Description, L"");
        view_.select_and_focus(LookupField::TagName);
    }
}

void TagTranslation::look_up_by_block() {
    struct NumberField {
        LookupField field;
        StringId name;
    };
    static constexpr NumberField kNumberFields[] = {
        {LookupField::Loop, ids::FieldLoop},
        {LookupField::Pcu, ids::FieldPcu},
        {LookupField::Module, ids::FieldModule},
        {LookupField::Block, ids::FieldBlock},
    };
    std::uint32_t numbers[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const Digits digits = read_digits(trim_blanks(view_.field_text(kNumberFields[i].field)));
        if (digits.reading != DigitsReading::Number) {
            partners_.seat.message_box(ids::FieldBlank, ids::MissingField, mb::IconExclamation,
                                       {std::wstring(string_text(kNumberFields[i].name))});
            view_.select_and_focus(kNumberFields[i].field);
            return;
        }
        numbers[i] = digits.value;
    }
    const BlockAddress address{
        static_cast<std::int32_t>(numbers[0]), static_cast<std::int32_t>(numbers[1]),
        static_cast<std::int32_t>(numbers[2]), static_cast<std::int32_t>(numbers[3])};

    const std::wstring description =
        field_value(view_.field_text(LookupField::Description), kDescriptionLimit);
    const std::wstring forbidden = forbidden_description_lines(description);
    if (!forbidden.empty()) {
        partners_.seat.message_box(ids::DescriptionIllegalCharacters,
                                   ids::InvalidCharactersInDescription, mb::Ok, {forbidden});
        view_.select_and_focus(LookupField::Description);
        return;
    }

    const AddPointVerdict verdict =
        check_new_point(view_.row_count(), address, partners_.show_blk_check ? 1 : 0);
    switch (verdict.outcome) {
    case AddPointVerdict::Outcome::Refused:
        partners_.seat.message_box(verdict.text, verdict.caption, mb::Ok);
        if (verdict.field != AddressField::None)
            view_.select_and_focus(lookup_field(verdict.field));
        return;
    case AddPointVerdict::Outcome::NeedsBlockConfirmation: {
        bool do_not_show_again = false;
        const bool confirmed = view_.confirm_block_above_limit(do_not_show_again);
        if (do_not_show_again)
            partners_.show_blk_check = false;
        if (partners_.save_show_blk_check)
            partners_.save_show_blk_check(partners_.show_blk_check);
        if (!confirmed) {
            view_.select_and_focus(LookupField::Block);
            return;
        }
        break;
    }
    case AddPointVerdict::Outcome::Accepted:
        break;
    }

    std::vector<TagRecord> results =
        brixtel::look_up_by_address(partners_.index, address, description, string_text(ids::NoTag));
    if (results.size() > 1)
        results = choose_among_duplicates(std::move(results));
    const std::size_t added = add_results(results);
    view_.set_field_text(LookupField::Block, L"");
    if (added > 0)
        view_.set_field_text(LookupField::Description, L"");
}

std::vector<TagRecord> TagTranslation::choose_among_duplicates(std::vector<TagRecord> results) {
    DuplicateSplit split = split_duplicates(std::move(results));
    if (split.singles.size() + split.grouped.size() < 2)
        return split.grouped.empty() ? std::move(split.singles) : std::move(split.grouped);
    // A name found at several addresses is as much a choice as an address found in several
    // files: the user sees every point found and takes what is meant. Cancel takes none.
    const DuplicateOffer offer = duplicate_offer(split);
    const auto chosen = view_.choose_duplicates(offer.results, offer.preselected);
    std::vector<TagRecord> taken;
    if (chosen) {
        for (const std::size_t i : *chosen)
            if (i < offer.results.size())
                taken.push_back(offer.results[i]);
    }
    return taken;
}

bool TagTranslation::already_listed(const TagRecord& result) const {
    const std::wstring prefix =
        result.database == kNoDatabaseNumber
            ? item_text(address_of(result)) + L" -- "
            : tag_entry_text(address_of(result), result.tag,
                             partners_.databases.slot_text(result.database));
    for (const std::wstring& entry : entry_texts(partners_.tag_lists.points, partners_.databases)) {
        // The listed entry's address part, compared over its own length: a listed Block 10
        // also stands for Blocks 100-109 of its module, as lists have always been checked.
        const std::wstring_view listed = std::wstring_view(entry).substr(0, entry.find(L" --"));
        if (starts_with_ignoring_case(prefix, listed))
            return true;
    }
    return false;
}

std::size_t TagTranslation::add_results(std::span<const TagRecord> results) {
    std::size_t added = 0;
    for (const TagRecord& result : results) {
        const BlockAddress address = address_of(result);
        if (already_listed(result)) {
            partners_.seat.message_box(ids::DuplicateEntry, ids::Duplication, mb::Ok,
                                       {item_text(address)});
            continue;
        }
        TagListState& lists = partners_.tag_lists;
        lists.changed = true;
        PointNode point{upper_case(result.tag), address, result.database};
        view_.append_row(tag_row(address, point.tag_name, point.database_number,
                                 partners_.databases.slot_text(point.database_number)));
        lists.points.push_back(std::move(point));
        ++lists.point_count;
        // Ready for the next block of the same module.
        view_.set_field_text(LookupField::Loop, std::to_wstring(address.loop));
        view_.set_field_text(LookupField::Pcu, std::to_wstring(address.pcu));
        view_.set_field_text(LookupField::Module, std::to_wstring(address.module));
        if (partners_.repaint_main_window)
            partners_.repaint_main_window();
        if (partners_.monitoring_on && partners_.monitoring_on() &&
            partners_.start_monitoring_point)
            partners_.start_monitoring_point(address);
        points_changed_ = true;
        ++added;
    }
    return added;
}

bool TagTranslation::delete_entries(std::span<const TagRow> selected) {
    if (partners_.monitoring_in_export_view && partners_.monitoring_in_export_view()) {
        partners_.seat.message_box(ids::NoDeletionWhileMonitoringExportView, ids::IllegalDeletion,
                                   mb::Ok);
        return false;
    }
    TagListState& lists = partners_.tag_lists;
    const bool monitoring = partners_.monitoring_on && partners_.monitoring_on();
    for (const TagRow& row : selected) {
        const std::wstring_view database = row.database_text == string_text(ids::UserDescription)
                                               ? string_text(ids::NoDatabase)
                                               : row.database_text;
        const std::wstring text =
            row.block_text + L" -- " + row.tag + L" -- " + std::wstring(database);
        for (PointNode& point : lists.points) {
            if (point.database_number == kDetachedDatabase)
                continue;
            const std::wstring_view tag = point.tag_name.empty()
                                              ? string_text(ids::NoTag)
                                              : std::wstring_view(point.tag_name);
            const std::wstring entry = tag_entry_text(
                point.address, tag, partners_.databases.slot_text(point.database_number));
            if (!equal_ignoring_case(entry, text))
                continue;
            point.database_number = kDetachedDatabase;
            if (monitoring) {
                if (partners_.stop_monitoring_point)
                    partners_.stop_monitoring_point(point.address);
                removed_while_monitoring_ = true;
            }
            if (lists.point_count > 0)
                --lists.point_count;
            break;
        }
        lists.changed = true;
        points_changed_ = true;
    }
    if (!selected.empty() && partners_.repaint_main_window)
        partners_.repaint_main_window();
    return true;
}

} // namespace brixtel

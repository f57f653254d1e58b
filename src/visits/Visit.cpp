#include "visits/Visit.h"

#include <algorithm>

#include "pickers/Pickers.h"

#include <string>

namespace nutrovo::visits {

namespace {

bool within(int value, int first, int last) { return value >= first && value <= last; }

std::string named(std::string_view what, int value)
{
    return std::string(what) + ' ' + std::to_string(value);
}

} // namespace

std::vector<std::string> problemsOf(const Visit &visit)
{
    std::vector<std::string> problems;
    if (visit.clientName.find_first_not_of(" \t") == std::string::npos)
        problems.emplace_back("no client name");
    for (std::size_t i = 0; i < pickerCount; ++i) {
        const PickerEntry &picker = pickerTable.at(i);
        const int row = visit.picks.rows.at(i);
        if (!within(row, 0, pickers::rowCount(picker.picker) - 1))
            problems.push_back(named(std::string(picker.objectName) + " row", row));
    }
    if (!within(visit.picks.sex, 0, sexButtonCount - 1))
        problems.push_back(named("sex button", visit.picks.sex));
    for (std::size_t group = 0; group < servingsGroupCount; ++group) {
        const int button = visit.picks.servings.at(group);
        if (!within(button, noButton, servingsButtonCount - 1))
            problems.push_back(named("Option" + std::to_string(group + 1) + " button", button));
    }
    if (visit.note.size() > noteLimitBytes)
        problems.push_back("a note longer than " + std::to_string(noteLimitBytes / 1024) + " KiB");
    return problems;
}

std::vector<Output> differingFields(const FieldTexts &stored, const FieldTexts &shown)
{
    // Fields that visits saved before them hold no text for: no difference.
    constexpr std::array addedSinceFirstRelease = {Output::bmiClass};
    std::vector<Output> fields;
    for (std::size_t i = 0; i < outputCount; ++i) {
        const auto field = static_cast<Output>(i);
        if (stored.at(i).empty() && std::ranges::find(addedSinceFirstRelease, field) != addedSinceFirstRelease.end())
            continue;
        if (stored.at(i) != shown.at(i))
            fields.push_back(field);
    }
    return fields;
}

} // namespace nutrovo::visits

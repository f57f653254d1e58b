#include "visits/VisitNote.h"

#include "visits/Visit.h"

#include <utility>

namespace nutrovo::visits {

bool VisitNote::edit(std::string text)
{
    if (text.size() > noteLimitBytes)
        return false;
    text_ = std::move(text);
    return true;
}

void VisitNote::replace(std::string text)
{
    text_ = std::move(text);
    saved_ = text_;
}

void VisitNote::markSaved(const std::string &saved)
{
    saved_ = saved;
}

} // namespace nutrovo::visits

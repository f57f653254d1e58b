// The window's texts are UTF-8 views in the Qt-free tables; the toolkit
// wants QString.
#pragma once

#include "window/WindowLayout.h"

#include <QString>

#include <string_view>

namespace nutrovo::ui {

inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Window, message boxes and the printed document all carry this title.
inline QString windowTitle() { return qs(layout::windowTitle); }

} // namespace nutrovo::ui

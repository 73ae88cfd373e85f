#pragma once
// The clipboard as other programs read it.
#include <windows.h>

#include <string>

namespace pennora {

// Replaces the clipboard's content with an ANSI text, in the formats other
// programs read: CF_UNICODETEXT (converted from the ANSI code page, so Chinese
// pastes correctly into a Unicode program whatever its locale), CF_TEXT and
// CF_LOCALE. Throws Error with the system's reason when the clipboard cannot
// be opened or filled.
void CopyTextToClipboard(HWND owner, const std::string& text);

}  // namespace pennora

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

// Makes Russian the default QLocale, which the MIME comments follow. Call once
// at start, before any other thread asks for a type description; it also
// forgets the descriptions cached so far.
void useRussianLocale();

// The localised description of a file's type ("Текстовый документ"), judged
// by the name only: the file is never opened, so a vanished file gets one
// too. Folders get the folder description. Cached; safe from any thread.
std::string typeDescription(std::string_view path, bool isFolder);

// The same description as a small number (from 1) that stays valid for the
// life of the process: a list keeps the number, not the text, for each row.
std::uint32_t typeDescriptionId(std::string_view path, bool isFolder);
// The text of a number typeDescriptionId gave ("" for any other).
const std::string& typeDescriptionText(std::uint32_t id);

}  // namespace dw

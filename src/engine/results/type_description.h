#pragma once

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

}  // namespace dw

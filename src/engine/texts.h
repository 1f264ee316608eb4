#pragma once

// The Russian texts the engine shows through its sinks. UTF-8.
namespace dw::text {

inline constexpr const char* Searching = "Поиск...";
inline constexpr const char* Analysing = "Анализ...";
inline constexpr const char* Files = "Файлов";
inline constexpr const char* Size = "Размер";
inline constexpr const char* SearchByMask = "Поиск файлов по маске...";
inline constexpr const char* SearchBySize = "Поиск файлов по размеру...";
inline constexpr const char* SearchDuplicates = "Поиск одинаковых файлов...";
inline constexpr const char* SearchOld = "Поиск старых файлов...";
inline constexpr const char* ProgramName = "Diskwright";

inline constexpr const char* TempFilesMask = "Temp files\t*.tmp;*.old;*.bak;~*.*;*.chk";
inline constexpr const char* CppIntermediateMask = "C++ Intermediate files\t*.obj;*.pch;*.ncb;*.lic";

}  // namespace dw::text

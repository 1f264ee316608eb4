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

// Session file: the list being processed, the progress titles and the errors.
inline constexpr const char* SessionDuplicates = "Список одинаковых файлов";
inline constexpr const char* SessionBySize = "Список файлов найденых по размеру";
inline constexpr const char* SessionByMask = "Список файлов найденых по маске";
inline constexpr const char* SessionOld = "Список файлов найденых по дате";
inline constexpr const char* SavingResults = "Сохранение результатов...";
inline constexpr const char* LoadingResults = "Загрузка результатов...";
inline constexpr const char* CannotCreateFile = "Возникла ошибка при создании файла!";
inline constexpr const char* SessionDamaged = "Файл результатов повреждён.";

// The column titles of a results list, in column order.
inline constexpr const char* ColumnName = "Имя файла";
inline constexpr const char* ColumnPath = "Полный путь";
inline constexpr const char* ColumnSize = "Размер файла";
inline constexpr const char* ColumnSizeOnDisk = "Размер на диске";
inline constexpr const char* ColumnAccessed = "Открыт";
inline constexpr const char* ColumnType = "Описание";

// File operations.
inline constexpr const char* DeleteCaption = "Удаление...";
inline constexpr const char* DeleteConfirm =
    "Выбранные объекты буду безвозвратно удалены!\nВы действительно хотите удалить эти объекты (%d шт.)?";
// %d: the count, followed by the word in its Russian plural form (objectsWord).
inline constexpr const char* TrashConfirm = "Переместить в корзину %d %s?";
inline constexpr const char* TrashPhase = "Перемещение в корзину...";
// %s: the path.
inline constexpr const char* NoTrashQuestion =
    "Объект «%s» нельзя переместить в корзину: на его диске нет корзины.\nУдалить его безвозвратно?";
inline constexpr const char* DeleteAllCopies = "Будут удалены все копии некоторых файлов. Продолжить?";
// %s: the existing target.
inline constexpr const char* ReplaceQuestion = "Объект «%s» уже существует.\nЗаменить его?";
inline constexpr const char* CopyCaption = "Копирование...";
inline constexpr const char* MoveCaption = "Перемещение...";
inline constexpr const char* CompressCaption = "Сжатие...";
inline constexpr const char* CompressFile = "Сжатие файла...";

// Cleanup targets of the temporary-files page: the row names and descriptions.
inline constexpr const char* TempFilesRow = "Временные файлы";
inline constexpr const char* TempFilesDescription = "Папка содержит временные файлы программ";
inline constexpr const char* CacheRow = "Кэш приложений";
inline constexpr const char* CacheDescription = "Папка содержит кэш приложений";
inline constexpr const char* ThumbnailsRow = "Эскизы изображений";
inline constexpr const char* ThumbnailsDescription = "Папка содержит эскизы просмотренных изображений";
inline constexpr const char* RecentRow = "Recent Documents";
inline constexpr const char* RecentDescription = "Папка содеоржит ярлыки недавно открытых документов";

// System information: the captions of its fields.
inline constexpr const char* OsLabel = "Операционная система:";
inline constexpr const char* ProcessorLabel = "Процессор:";
inline constexpr const char* UsedLabel = "Занято:";
inline constexpr const char* FreeLabel = "Свободно:";
inline constexpr const char* CapacityLabel = "Емкость:";
inline constexpr const char* SectorsPerClusterLabel = "Секторов в кластере:";
inline constexpr const char* BytesPerSectorLabel = "Байт в секторе:";
inline constexpr const char* FreeClustersLabel = "Количество кластеров:";
inline constexpr const char* ClusterSizeLabel = "Минимальный размер файла:";

// Emptying the Trash; %d the number of items.
inline constexpr const char* EmptyTrashQuestion = "Удалить безвозвратно все объекты из корзины (%d шт.)?";
inline constexpr const char* TrashIsEmpty = "Корзина пуста.";

// "объект", "объекта" or "объектов" for a count.
inline const char* objectsWord(unsigned long long count)
{
    const unsigned long long lastTwo = count % 100, last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return "объектов";
    if (last == 1)
        return "объект";
    if (last >= 2 && last <= 4)
        return "объекта";
    return "объектов";
}

}  // namespace dw::text

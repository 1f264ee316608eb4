#pragma once

// The Russian texts of the desktop program's windows. UTF-8; wrap with
// QString::fromUtf8 or the tr-free helper below.
#include <QString>

namespace dw::ui::text {

inline QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

inline constexpr const char* ProgramName = "Diskwright";

// Main window
inline constexpr const char* Search = "Поиск";
inline constexpr const char* Preferences = "Параметры";
inline constexpr const char* EmptyTrash = "Очистить корзину";
inline constexpr const char* Help = "Помощь";
inline constexpr const char* About = "О программе";
inline constexpr const char* NewSearch = "Новый поиск";
inline constexpr const char* LoadResults = "Загрузить результаты";
inline constexpr const char* SaveResults = "Сохранить результаты";
// After "Файл результатов повреждён."; %1: the tab titles of the lists read whole.
// %1 the file asked for.
inline constexpr const char* SessionMissing = "Файл результатов не найден:\n%1";
inline constexpr const char* DamagedSessionWholeLists =
    "До места повреждения целиком прочитаны списки: %1.\nЗагрузить их вместо текущих?";
inline constexpr const char* LoadWholeLists = "Загрузить";
inline constexpr const char* KeepCurrentLists = "Оставить текущие";
inline constexpr const char* TrayOpen = "Открыть";
inline constexpr const char* TrayExit = "Выход";

// Tabs
inline constexpr const char* TabByMask = "По маске";
inline constexpr const char* TabBySize = "По размеру";
inline constexpr const char* TabDuplicates = "Одинаковые";
inline constexpr const char* TabOld = "По дате";
inline constexpr const char* TabTempFiles = "Временные файлы";
inline constexpr const char* TabPrograms = "Установленные программы";
inline constexpr const char* TabSystemInfo = "Информация о системе";
// The size of a temporary-files row whose folders are still being walked.
inline constexpr const char* TempSizeCounting = "Подсчёт...";

// Progress windows
inline constexpr const char* Cancel = "Отмена";
inline constexpr const char* Background = "Фоновый";

// Statistics
inline constexpr const char* Statistics = "Статистика";
inline constexpr const char* StatDuplicates = "Одинаковых файлов";
inline constexpr const char* StatBySize = "Файлов по размеру";
inline constexpr const char* StatByMask = "Файлов по маске";
inline constexpr const char* StatOld = "Старых файлов";
inline constexpr const char* StatAnalysed = "Всего проанализировано";
inline constexpr const char* StatTime = "Время";
// Shown only when not zero.
inline constexpr const char* StatUnreadable = "Не удалось прочитать папок и файлов";
inline constexpr const char* StatProtected = "Скрыто уровнем безопасности";
// The desktop notification of a search that ended out of sight.
inline constexpr const char* SearchFinishedNotice = "Поиск завершён";

// Search parameters
inline constexpr const char* SearchParameters = "Параметры поиска";
inline constexpr const char* FindDuplicates = "Одинаковые файлы";
inline constexpr const char* FindBySize = "Файлы по размеру";
inline constexpr const char* FindByMask = "Файлы по маске";
inline constexpr const char* FindOld = "Редко используемые файлы";
inline constexpr const char* Subfolders = "Искать в подкаталогах";

// Results page
inline constexpr const char* Copy = "Копировать";
inline constexpr const char* Move = "Переместить";
inline constexpr const char* Compress = "Сжать";
inline constexpr const char* Delete = "Удалить";
inline constexpr const char* MarkAll = "Отметить Все";
inline constexpr const char* ClearAll = "Очистить Все";
inline constexpr const char* Mark = "Отметить";
inline constexpr const char* Clear = "Очистить";
inline constexpr const char* Invert = "Инвертировать";
inline constexpr const char* FilterButton = "Фильтр...";
inline constexpr const char* RemoveFromList = "Удалить из списка";
inline constexpr const char* Refresh = "Обновить";
inline constexpr const char* TotalObjects = "Всего объектов:";
inline constexpr const char* Selected = "Выбрано:";

// Results list: context menu (the column titles are in engine/texts.h)
inline constexpr const char* Open = "Открыть";
inline constexpr const char* OpenFolder = "Открыть содержащую объект папку";
inline constexpr const char* DeleteFolderContents = "Удалить содержимое папки";
inline constexpr const char* MarkAllCommand = "Отметить все";
inline constexpr const char* FilterCommand = "Фильтр";
inline constexpr const char* Export = "Сохранить в файл";
inline constexpr const char* Properties = "Свойства";
inline constexpr const char* MarkMenu = "Отметить";
inline constexpr const char* ListMenu = "Список";

// Common buttons
inline constexpr const char* Ok = "OK";
inline constexpr const char* CloseButton = "Закрыть";

// Help window; %1: the help file's path.
inline constexpr const char* HelpFileMissing = "Файл справки не найден: %1";

// Folder chooser
inline constexpr const char* FolderChooserCaption = "Выбор директории";
inline constexpr const char* CreateFolderQuestion = "Указанной директории не существует, хотите ее создать?";
// Followed by the folder that could not be created.
inline constexpr const char* CreateFolderFailed = "Возникла ошибка при создании директории ";
inline constexpr const char* YesButton = "&Да";
inline constexpr const char* NoButton = "&Нет";

// Filter dialog; '&' marks the Alt+letter key and is not shown.
inline constexpr const char* FilterCaption = "Фильтр";
inline constexpr const char* FilterMark = "О&тметить";
inline constexpr const char* FilterClear = "О&чистить";
inline constexpr const char* FilterRemove = "&Удалить из списка";
inline constexpr const char* FilterRemoveExcept = "Удалить из списка все за &исключением";
inline constexpr const char* FilterByFolder = "&Содержищиеся в каталоге";
inline constexpr const char* FilterChooseFolder = "...";
inline constexpr const char* FilterByMask = "По &маске";

// Column chooser
inline constexpr const char* ColumnChooserCaption = "Столбцы";

// File properties
inline constexpr const char* PropertiesOf = "Свойства: %1";
inline constexpr const char* PropName = "Имя:";
inline constexpr const char* PropFolder = "Папка:";
inline constexpr const char* PropType = "Тип:";
inline constexpr const char* PropLinkTarget = "Ссылается на:";
inline constexpr const char* PropSize = "Размер:";
inline constexpr const char* PropSizeOnDisk = "На диске:";
inline constexpr const char* PropAccessed = "Последний доступ:";
inline constexpr const char* PropModified = "Изменён:";
inline constexpr const char* PropOwner = "Владелец:";
inline constexpr const char* PropPermissions = "Права:";
inline constexpr const char* PropReadOnly = "Только чтение:";
inline constexpr const char* PropUnreadable = "Свойства объекта прочитать не удалось.";
// %1 the size text, %2 the exact byte count.
inline constexpr const char* PropBytes = "%1 (%2 байт)";
inline constexpr const char* PropByteCount = "%1 байт";
inline constexpr const char* PropYes = "Да";
inline constexpr const char* PropNo = "Нет";

// Results list commands
inline constexpr const char* MarkCopies = "Отметить копии";
// Which copy of each group stays unchecked.
inline constexpr const char* KeepFirstCopy = "Оставить первый в списке";
inline constexpr const char* KeepOldestCopy = "Оставить самый старый";
inline constexpr const char* KeepNewestCopy = "Оставить самый новый";
inline constexpr const char* KeepShortestCopy = "Оставить с самым коротким путём";
inline constexpr const char* MoveToTrashButton = "Переместить в корзину";
inline constexpr const char* ReplaceButton = "Заменить";
inline constexpr const char* ReplaceAllButton = "Заменить все";
inline constexpr const char* SkipButton = "Пропустить";
inline constexpr const char* SkipAllButton = "Пропустить все";
inline constexpr const char* DeleteAllButton = "Удалить все";
inline constexpr const char* CheckedFilesGone = "Отмеченные файлы больше не существуют.";
inline constexpr const char* TextFileFilter = "Текстовый файл (*.txt)";
inline constexpr const char* AllFilesFilter = "Все файлы (*)";

// Preferences frame and pages
inline constexpr const char* PreferencesUntitled = "Untitled";
inline constexpr const char* ExcludeFolders = "Исключать директории";
inline constexpr const char* ListAdd = "Добавить";
inline constexpr const char* ListEdit = "Изменить";
inline constexpr const char* ListRemove = "Удалить";
inline constexpr const char* StripNewTip = "New Item";
inline constexpr const char* StripEditTip = "Edit Item";
inline constexpr const char* StripRemoveTip = "Remove Item";
// %1 the refused folder, %2 the listed entry that begins with it.
inline constexpr const char* ExcludeRefused = "Директория «%1» не добавлена: в списке уже есть «%2».";
inline constexpr const char* EnterWholeNumber = "Введите целое неотрицательное число.";
// %1, %2 the range.
inline constexpr const char* EnterNumberInRange = "Введите целое число от %1 до %2.";
// %1 the settings file.
inline constexpr const char* SettingsNotSaved = "Не удалось сохранить параметры в файл %1.\nПосле перезапуска программа вернётся к прежним параметрам.";
inline constexpr const char* MaskFilesLabel = "Маски файлов";
inline constexpr const char* MaskNameColumn = "Название маски";
inline constexpr const char* MaskColumn = "Маска";
inline constexpr const char* DuplicatesMode = "Режим поиска одинаковых файлов";
inline constexpr const char* ModeFast = "Быстрый";
inline constexpr const char* ModeNormal = "Нормальный";
inline constexpr const char* ModeParanoid = "Параноидальный";
inline constexpr const char* FindEmptyFiles = "Искать пустые файлы";
inline constexpr const char* FindBySizeOf = "Искать файлы размером";
inline constexpr const char* Kilobytes = "KB";
inline constexpr const char* OldFilesGroup = "Искать файлы не открывали";
inline constexpr const char* Last = "последние";
inline constexpr const char* DaysUnit = "дней";
inline constexpr const char* MonthsUnit = "месяцев";
inline constexpr const char* ListColours = "Цвета списка файлов";
inline constexpr const char* BkColorLabel = "Задний фон:";
inline constexpr const char* DefaultColorLabel = "Цвет по умолчанию:";
inline constexpr const char* DuplicatesColorLabel = "Одинаковые файлы:";
inline constexpr const char* SysColorLabel = "Системный файл:";
inline constexpr const char* HiddenColorLabel = "Скрытый файл:";
inline constexpr const char* ReadOnlyColorLabel = "Только для чтения:";
inline constexpr const char* ArchiveColorLabel = "Архивный:";
inline constexpr const char* CompressedColorLabel = "Сжатый:";
inline constexpr const char* AutoArrange = "Автоматическое выравнивание столбцов списка";
inline constexpr const char* SystemDelete = "Использовать системную функцию для удаления файлов и папок";
inline constexpr const char* RecycleBin = "Удалять в корзину";
inline constexpr const char* Priority = "Приоритет";
inline constexpr const char* PriorityLow = "Низкий";
inline constexpr const char* PriorityNormal = "Нормальный";
inline constexpr const char* PriorityHigh = "Высокий";
inline constexpr const char* SecurityGroup = "Уровень безопасности";
inline constexpr const char* SecurityHigh = "Высокий";
inline constexpr const char* SecurityHighNote =
    "(программа не выводит в список результатов\nфайлы, удаление которых может повлиять на\nработоспособность системы)";
inline constexpr const char* SecurityLow = "Низкий";
inline constexpr const char* SecurityLowNote = "(пользователь сам решает какие файлы следует\nискать)";
inline constexpr const char* PageByMask = "По маске";
inline constexpr const char* PageDuplicates = "Одинаковые";
inline constexpr const char* PageBySize = "По размеру";
inline constexpr const char* PageOld = "По дате";
inline constexpr const char* PageAppearance = "Внешний вид";
inline constexpr const char* PageGeneral = "Основные";

// Mask dialog
inline constexpr const char* MaskCaption = "Маска";
inline constexpr const char* MaskName = "Название:";
inline constexpr const char* MaskPatterns = "Маски файлов:";

// Colour picker
inline constexpr const char* ColourDefault = "По умолчанию";
inline constexpr const char* ColourOther = "Другой...";

// Temporary-files page
inline constexpr const char* ColumnTitle = "Название";
inline constexpr const char* ColumnSize = "Размер";
inline constexpr const char* ColumnDescription = "Описание";
inline constexpr const char* DeleteContents = "Удалить Содержимое";

// Installed programs page; %1 the program's name.
inline constexpr const char* Uninstall = "Удалить программу";
inline constexpr const char* RemoveEntry = "Удалить ссылку из реестра";
inline constexpr const char* UninstallFailed =
    "При удалении '%1' произошла ошибка. Возможно, удаление уже было произведено.\n"
    "Хотите удалить '%1' из списка 'Установка и удаление программ'?";
// %1 the program's name, %2 the command that removes it.
inline constexpr const char* UninstallQuestion = "Удалить программу '%1'?\n\nБудет выполнена команда:\n%2";
inline constexpr const char* RemoveEntryQuestion =
    "Вы действительно хотите удалить '%1' из списка 'Установка и удаление программ'?";

// System information page (the field captions are in engine/texts.h)
inline constexpr const char* DrivesGroup = "Диски";
// Shown after the processor's name while its clock is being measured.
inline constexpr const char* Measuring = "(измерение частоты...)";

// Emptying the Trash (the question is in engine/texts.h); %1 a count.
inline constexpr const char* EmptyingTrash = "Очистка корзины...";
inline constexpr const char* TrashItemsLeft = "Не удалось удалить из корзины объектов: %1.";

}  // namespace dw::ui::text

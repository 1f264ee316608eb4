#include "platform/trash.h"

#include <gio/gio.h>

namespace dw::platform {

TrashResult moveToTrash(const std::string& path)
{
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error) != FALSE;
    g_object_unref(file);
    if (trashed)
        return TrashResult::Trashed;
    TrashResult result = TrashResult::Failed;
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED))
        result = TrashResult::NoTrash;
    else if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND))
        result = TrashResult::Vanished;
    g_clear_error(&error);
    return result;
}

std::string homeTrashFolder()
{
    gchar* folder = g_build_filename(g_get_user_data_dir(), "Trash", nullptr);
    std::string result(folder);
    g_free(folder);
    return result;
}

}  // namespace dw::platform

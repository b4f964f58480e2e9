// The desktop's MIME database through GIO. Looking a type up costs a walk of
// the database, so each type is asked once and its answers kept: a folder of
// many files of few types asks only a few times.
#include "FileTypes.h"

#include "../RegistryText.h"

#include <gio/gio.h>

#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace win32 {
namespace {

struct TypeCache {
    std::mutex lock;
    std::map<std::string, std::unique_ptr<FileType>> types;
};

TypeCache& Cache() {
    static TypeCache& cache = *new TypeCache; // entries are handed out by reference
    return cache;
}

std::u16string FromGioText(const char* text) {
    std::u16string out;
    if (text && !FromUtf8(text, out)) out = FromLatin1(text);
    return out;
}

std::unique_ptr<FileType> AskDatabase(const std::string& contentType) {
    auto type = std::make_unique<FileType>();
    type->contentType = contentType;
    type->unknown = g_content_type_is_unknown(contentType.c_str());
    if (gchar* text = g_content_type_get_description(contentType.c_str())) {
        type->description = FromGioText(text);
        g_free(text);
    }
    if (GIcon* icon = g_content_type_get_icon(contentType.c_str())) {
        if (G_IS_THEMED_ICON(icon))
            for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon));
                 name && *name; ++name)
                type->icons.emplace_back(*name);
        g_object_unref(icon);
    }
    if (gchar* generic = g_content_type_get_generic_icon_name(contentType.c_str())) {
        type->genericIcon = generic;
        g_free(generic);
    }
    return type;
}

} // namespace

std::string ContentTypeOfName(const std::string& name, bool folder) {
    if (folder) return "inode/directory";
    gboolean uncertain = FALSE;
    gchar* guessed = g_content_type_guess(name.c_str(), nullptr, 0, &uncertain);
    std::string type = guessed ? guessed : "application/octet-stream";
    g_free(guessed);
    return type;
}

const FileType& FileTypeOf(const std::string& contentType) {
    TypeCache& cache = Cache();
    {
        std::lock_guard guard(cache.lock);
        auto found = cache.types.find(contentType);
        if (found != cache.types.end()) return *found->second;
    }
    // Asked outside the lock: the database may be slow the first time, and a
    // second thread asking the same type meanwhile only wastes its answer.
    std::unique_ptr<FileType> type = AskDatabase(contentType);
    std::lock_guard guard(cache.lock);
    auto& slot = cache.types[contentType];
    if (!slot) slot = std::move(type);
    return *slot;
}

bool OpenWithDefaultApplications(const std::vector<std::string>& paths, std::string* failed) {
    std::map<std::string, std::vector<std::string>> byType;
    for (const std::string& path : paths) {
        GFile* file = g_file_new_for_path(path.c_str());
        gchar* uri = g_file_get_uri(file);
        g_object_unref(file);
        size_t slash = path.find_last_of('/');
        struct stat info;
        bool folder = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        byType[ContentTypeOfName(path.substr(slash + 1), folder)].push_back(uri);
        g_free(uri);
    }
    for (const auto& [type, uris] : byType) {
        GAppInfo* app = g_app_info_get_default_for_type(type.c_str(), FALSE);
        GList* list = nullptr;
        for (const std::string& uri : uris)
            list = g_list_append(list, const_cast<char*>(uri.c_str()));
        bool launched = app && g_app_info_launch_uris(app, list, nullptr, nullptr);
        g_list_free(list);
        if (app) g_object_unref(app);
        if (!launched) {
            if (failed) {
                GFile* file = g_file_new_for_uri(uris.front().c_str());
                gchar* path = g_file_get_path(file);
                *failed = path ? path : uris.front();
                g_free(path);
                g_object_unref(file);
            }
            return false;
        }
    }
    return true;
}

} // namespace win32

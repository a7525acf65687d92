// GLib's headers use "signals" as a name: this file is built without Qt's keywords. It is built
// on Linux only; Windows opens documents through its own associations.
#include "platform/DesktopLaunch.h"

#include <QFile>

#include <dlfcn.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <unistd.h>

namespace {

// GIO is loaded when the first desktop entry, document or folder is started, not with the
// program: it and what it pulls in (GObject, libmount, libblkid, libselinux) cost every start
// about a megabyte and the time to load it, and most launches start plain programs. GLib
// itself is part of Qt's event loop already.
struct Gio {
    decltype(&g_app_launch_context_new) app_launch_context_new;
    decltype(&g_app_info_launch_uris) app_info_launch_uris;
    decltype(&g_desktop_app_info_get_type) desktop_app_info_get_type;
    decltype(&g_desktop_app_info_new_from_filename) desktop_app_info_new_from_filename;
    decltype(&g_desktop_app_info_get_is_hidden) desktop_app_info_get_is_hidden;
    decltype(&g_desktop_app_info_launch_uris_as_manager) desktop_app_info_launch_uris_as_manager;
    decltype(&g_file_new_for_path) file_new_for_path;
    decltype(&g_file_query_default_handler) file_query_default_handler;
    decltype(&g_file_get_uri) file_get_uri;
    decltype(&g_object_unref) object_unref;
    decltype(&g_type_check_instance_is_a) type_check_instance_is_a;
};

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Null with `error` set when GIO cannot be loaded; loaded once, and kept.
const Gio* LoadedGio(QString& error) {
    static QString failure;
    static const Gio* const gio = []() -> const Gio* {
        void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        static Gio functions{};
        if (library &&
            resolve(library, "g_app_launch_context_new", functions.app_launch_context_new) &&
            resolve(library, "g_app_info_launch_uris", functions.app_info_launch_uris) &&
            resolve(library, "g_desktop_app_info_get_type", functions.desktop_app_info_get_type) &&
            resolve(library, "g_desktop_app_info_new_from_filename",
                    functions.desktop_app_info_new_from_filename) &&
            resolve(library, "g_desktop_app_info_get_is_hidden",
                    functions.desktop_app_info_get_is_hidden) &&
            resolve(library, "g_desktop_app_info_launch_uris_as_manager",
                    functions.desktop_app_info_launch_uris_as_manager) &&
            resolve(library, "g_file_new_for_path", functions.file_new_for_path) &&
            resolve(library, "g_file_query_default_handler",
                    functions.file_query_default_handler) &&
            resolve(library, "g_file_get_uri", functions.file_get_uri) &&
            resolve(library, "g_object_unref", functions.object_unref) &&
            resolve(library, "g_type_check_instance_is_a", functions.type_check_instance_is_a))
            return &functions;
        const char* reason = dlerror();
        failure =
            QStringLiteral("GIO: %1").arg(QString::fromLocal8Bit(reason ? reason : "missing"));
        return nullptr;
    }();
    error = failure;
    return gio;
}

// Holds a reference to a GObject of GIO's and drops it when it goes.
template <typename T> class Ref {
public:
    Ref(const Gio& gio, T* object) : gio_(gio), object_(object) {}
    ~Ref() {
        if (object_)
            gio_.object_unref(object_);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    const Gio& gio_;
    T* object_;
};

// Runs in the new process just before its program: a session of its own, so that it has no
// controlling terminal and neither a closing terminal nor the launcher's end takes it along.
void StartOwnSession(gpointer) {
    setsid();
}

// An Exec program named without its folder is looked up on the search path. The program gets
// nothing to read from the launcher.
const GSpawnFlags Spawning = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL);

Outcome Failure(const QString& path, const GError* error) {
    return Outcome::failure(QStringLiteral("%1: %2").arg(path, QString::fromUtf8(error->message)));
}

// A plain context: startup notification and activation tokens would need the toolkit's own
// context, which a Qt program does not have; GIO starts without them. A desktop entry's
// application is a GDesktopAppInfo, which is itself the GAppInfo.
Outcome Launch(const Gio& gio, GAppInfo* application, const QString& path, GList* uris) {
    const Ref<GAppLaunchContext> context(gio, gio.app_launch_context_new());
    g_autoptr(GError) error = nullptr;
    const bool isEntry = gio.type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(application),
                                                      gio.desktop_app_info_get_type());
    const bool started =
        isEntry ? gio.desktop_app_info_launch_uris_as_manager(
                      reinterpret_cast<GDesktopAppInfo*>(application), uris, context.get(),
                      Spawning, StartOwnSession, nullptr, nullptr, nullptr, &error)
                : gio.app_info_launch_uris(application, uris, context.get(), &error);
    return started ? Outcome::success() : Failure(path, error);
}

} // namespace

Outcome LaunchDesktopEntry(const QString& path) {
    QString unavailable;
    const Gio* gio = LoadedGio(unavailable);
    if (!gio)
        return Outcome::failure(QStringLiteral("%1: %2").arg(path, unavailable));
    // GIO refuses an entry that cannot be read, is no Application, or whose TryExec or Exec
    // program is not installed.
    const Ref<GDesktopAppInfo> entry(
        *gio, gio->desktop_app_info_new_from_filename(QFile::encodeName(path).constData()));
    if (!entry)
        return Outcome::failure(QStringLiteral("%1: no application to start").arg(path));
    // A hidden entry counts as deleted.
    if (gio->desktop_app_info_get_is_hidden(entry.get()))
        return Outcome::failure(QStringLiteral("%1: the entry is hidden").arg(path));
    return Launch(*gio, reinterpret_cast<GAppInfo*>(entry.get()), path, nullptr);
}

Outcome OpenWithDefaultApplication(const QString& path) {
    QString unavailable;
    const Gio* gio = LoadedGio(unavailable);
    if (!gio)
        return Outcome::failure(QStringLiteral("%1: %2").arg(path, unavailable));
    const Ref<GFile> file(*gio, gio->file_new_for_path(QFile::encodeName(path).constData()));
    g_autoptr(GError) error = nullptr;
    // The application for the file's content type, as the file managers choose it.
    const Ref<GAppInfo> application(*gio,
                                    gio->file_query_default_handler(file.get(), nullptr, &error));
    if (!application)
        return Failure(path, error);
    g_autofree char* uri = gio->file_get_uri(file.get());
    GList uris{uri, nullptr, nullptr};
    return Launch(*gio, application.get(), path, &uris);
}

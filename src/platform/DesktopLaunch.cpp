// GLib's headers use "signals" as a name: this file is built without Qt's keywords. It is built
// on Linux only; Windows opens documents through its own associations.
#include "platform/DesktopLaunch.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <unistd.h>

namespace {

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
// context, which a Qt program does not have; GIO starts without them.
Outcome Launch(GAppInfo* application, const QString& path, GList* uris) {
    g_autoptr(GAppLaunchContext) context = g_app_launch_context_new();
    g_autoptr(GError) error = nullptr;
    const bool started = G_IS_DESKTOP_APP_INFO(application)
                             ? g_desktop_app_info_launch_uris_as_manager(
                                   G_DESKTOP_APP_INFO(application), uris, context, Spawning,
                                   StartOwnSession, nullptr, nullptr, nullptr, &error)
                             : g_app_info_launch_uris(application, uris, context, &error);
    return started ? Outcome::success() : Failure(path, error);
}

} // namespace

Outcome LaunchDesktopEntry(const QString& path) {
    // GIO refuses an entry that cannot be read, is no Application, or whose TryExec or Exec
    // program is not installed.
    g_autoptr(GDesktopAppInfo) entry =
        g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!entry)
        return Outcome::failure(QStringLiteral("%1: no application to start").arg(path));
    // A hidden entry counts as deleted.
    if (g_desktop_app_info_get_is_hidden(entry))
        return Outcome::failure(QStringLiteral("%1: the entry is hidden").arg(path));
    return Launch(G_APP_INFO(entry), path, nullptr);
}

Outcome OpenWithDefaultApplication(const QString& path) {
    g_autoptr(GFile) file = g_file_new_for_path(QFile::encodeName(path).constData());
    g_autoptr(GError) error = nullptr;
    // The application for the file's content type, as the file managers choose it.
    g_autoptr(GAppInfo) application = g_file_query_default_handler(file, nullptr, &error);
    if (!application)
        return Failure(path, error);
    g_autofree char* uri = g_file_get_uri(file);
    GList uris{uri, nullptr, nullptr};
    return Launch(application, path, &uris);
}

#endif

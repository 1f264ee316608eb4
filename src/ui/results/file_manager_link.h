#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <optional>
#include <string>

namespace dw::ui {

// The desktop's file manager over D-Bus (org.freedesktop.FileManager1): a
// file shown selected in its folder, or its properties window. The caller is
// never held up: the request goes out and its answer comes back later. When
// there is no session bus, or no file manager takes the request, `fallback`
// runs instead. A file manager too slow to answer within a second is taken
// to be starting up and left to show the item itself.
class FileManagerLink : public QObject {
    Q_OBJECT
public:
    explicit FileManagerLink(QObject* parent = nullptr);

    // The bus to ask instead of the session bus; nullopt for none at all.
    void setBus(std::optional<QDBusConnection> bus);

    void showItem(const std::string& path, std::function<void()> fallback);
    void showItemProperties(const std::string& path, std::function<void()> fallback);

Q_SIGNALS:
    // A request ended: true when the file manager took it, false when the
    // fallback ran.
    void finished(bool taken);

private:
    void request(const char* method, const std::string& path, std::function<void()> fallback);

    std::optional<QDBusConnection> bus_;
    bool busChosen_ = false;
};

}  // namespace dw::ui

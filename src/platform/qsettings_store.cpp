#include "platform/qsettings_store.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <limits>
#include <optional>

namespace dw::platform {

namespace {

constexpr const char* RootSection = "General";

QString keyOf(const std::string& section, const std::string& name)
{
    QString key = QString::fromStdString(name);
    if (section == RootSection)
        return key;
    return QString::fromStdString(section) + u'/' + key;
}

QString sectionOfHeader(const QString& header)
{
    // [General] holds QSettings' root keys.
    if (header == QLatin1String(RootSection))
        return QString();
    return QString::fromUtf8(QByteArray::fromPercentEncoding(header.toUtf8()));
}

// The text after '=' of a value as it stands in an INI file. QSettings reads an
// unquoted value with commas as a list and drops the spaces around them; a
// hand-written folder such as "/home/a/Smith, John/" must still come back whole.
std::optional<QString> rawIniValue(const QString& file, const std::string& section,
                                   const std::string& name)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QString wantedSection = section == RootSection ? QString() : QString::fromStdString(section);
    const QString wantedName = QString::fromStdString(name);
    QString current;
    std::optional<QString> found;
    while (!in.atEnd()) {
        QString line = QString::fromUtf8(in.readLine()).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = sectionOfHeader(line.mid(1, line.size() - 2));
            continue;
        }
        qsizetype eq = line.indexOf(u'=');
        if (current != wantedSection || eq <= 0)
            continue;
        QString key = QString::fromUtf8(QByteArray::fromPercentEncoding(line.left(eq).trimmed().toUtf8()));
        if (key == wantedName)
            found = line.mid(eq + 1).trimmed();
    }
    return found;
}

}  // namespace

QSettingsStore::QSettingsStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}
QSettingsStore::QSettingsStore(QSettingsStore&&) noexcept = default;
QSettingsStore& QSettingsStore::operator=(QSettingsStore&&) noexcept = default;
QSettingsStore::~QSettingsStore() = default;

QSettingsStore QSettingsStore::forUser(const std::string& application)
{
    return QSettingsStore(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                      QString::fromLatin1(SettingsOrganisation),
                                                      QString::fromStdString(application)));
}

QSettingsStore QSettingsStore::fromIniFile(const std::string& path)
{
    return QSettingsStore(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat));
}

int QSettingsStore::readInt(const std::string& section, const std::string& name, int fallback)
{
    QVariant value = settings_->value(keyOf(section, name));
    if (value.typeId() == QMetaType::QStringList)
        return fallback;
    bool ok = false;
    qlonglong number = value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<std::uint32_t>::max())
        return fallback;
    // Colours and sizes are unsigned 32-bit values kept in an int.
    return static_cast<int>(static_cast<std::uint32_t>(number));
}

std::string QSettingsStore::readString(const std::string& section, const std::string& name,
                                       const std::string& fallback)
{
    QVariant value = settings_->value(keyOf(section, name));
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return fallback;
    case QMetaType::QByteArray:
        return value.toByteArray().toStdString();
    case QMetaType::QStringList: {
        auto raw = rawIniValue(settings_->fileName(), section, name);
        return (raw ? *raw : value.toStringList().join(u',')).toStdString();
    }
    default:
        return value.toString().toStdString();
    }
}

void QSettingsStore::writeInt(const std::string& section, const std::string& name, int value)
{
    settings_->setValue(keyOf(section, name), value);
}

void QSettingsStore::writeString(const std::string& section, const std::string& name,
                                 const std::string& value)
{
    QByteArrayView bytes(value.data(), static_cast<qsizetype>(value.size()));
    if (bytes.isValidUtf8())
        settings_->setValue(keyOf(section, name), QString::fromUtf8(bytes));
    else
        settings_->setValue(keyOf(section, name), bytes.toByteArray());
}

void QSettingsStore::deleteSection(const std::string& section)
{
    if (section != RootSection) {
        settings_->remove(QString::fromStdString(section));
        return;
    }
    // remove("") would wipe every group; the root section is its own keys only.
    const QStringList keys = settings_->childKeys();
    for (const QString& key : keys)
        settings_->remove(key);
}

bool QSettingsStore::flush()
{
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::string QSettingsStore::fileName() const
{
    return settings_->fileName().toStdString();
}

std::string executableBaseName()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        path = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    QString name = QFileInfo(path).completeBaseName();
    return name.isEmpty() ? std::string("diskwright") : name.toStdString();
}

}  // namespace dw::platform

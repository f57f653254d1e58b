#include "window/Practitioner.h"

#include "window/Fonts.h"
#include "window/QtText.h"
#include "window/WindowLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QSettings>

#include <algorithm>
#include <memory>

namespace nutrovo::ui {

namespace {

constexpr char nameKey[] = "practitioner/name";
constexpr char credentialsKey[] = "practitioner/credentials";
// Smaller than this a name is no longer read across a desk: it is shortened instead.
constexpr qreal smallestPoints = 8;

// ~/.config/nutrovo/nutrovo.conf (XDG_CONFIG_HOME), alone: the clinic's file
// is read below it by clinicSettings, from XDG_CONFIG_DIRS.
std::unique_ptr<QSettings> userSettings()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("nutrovo"), QStringLiteral("nutrovo"));
    settings->setFallbacksEnabled(false);
    return settings;
}

std::unique_ptr<QSettings> clinicSettings()
{
    QString folders = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (folders.isEmpty())
        folders = QStringLiteral("/etc/xdg");
    for (const QString &folder : folders.split(u':', Qt::SkipEmptyParts)) {
        const QString file = folder + QStringLiteral("/nutrovo/nutrovo.conf");
        if (QFileInfo(file).isFile())
            return std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    return nullptr;
}

QString layered(const QSettings &user, const QSettings *clinic, const char *key)
{
    const QString name = QLatin1String(key);
    if (user.contains(name) || clinic == nullptr)
        return user.value(name).toString().trimmed();
    return clinic->value(name).toString().trimmed();
}

const layout::Control &designed(const QLabel &label)
{
    const auto controls = layout::windowControls();
    const auto found = std::ranges::find_if(
        controls, [&](const layout::Control &c) { return qs(c.name) == label.objectName(); });
    Q_ASSERT(found != controls.end());
    return *found;
}

// The largest font down to smallestPoints that holds the whole text on one
// line; below that, the text shortened with an ellipsis.
void fitOnOneLine(QLabel &label, const QString &text)
{
    QFont font = layoutFont(designed(label).look.font);
    const qreal room = label.contentsRect().width();
    while (QFontMetricsF(font).horizontalAdvance(text) > room && font.pointSizeF() > smallestPoints)
        font.setPointSizeF(std::max(smallestPoints, font.pointSizeF() - 0.5));
    label.setFont(font);
    label.setText(QFontMetricsF(font).elidedText(text, Qt::ElideRight, room));
}

void showDesigned(QLabel &label)
{
    const layout::Control &control = designed(label);
    label.setFont(layoutFont(control.look.font));
    label.setText(qs(control.text));
    label.setAccessibleName(QString());
    label.setToolTip(QString());
}

void showWhole(QLabel &label, const QString &text)
{
    fitOnOneLine(label, text);
    label.setAccessibleName(text);
    label.setToolTip(label.text() != text ? text : QString());
}

} // namespace

QString Practitioner::shown() const
{
    return credentials.isEmpty() ? name : name + QStringLiteral(", ") + credentials;
}

Practitioner readPractitioner()
{
    const std::unique_ptr<QSettings> user = userSettings();
    const std::unique_ptr<QSettings> clinic = clinicSettings();
    return {layered(*user, clinic.get(), nameKey), layered(*user, clinic.get(), credentialsKey)};
}

QString savePractitioner(const Practitioner &practitioner)
{
    const std::unique_ptr<QSettings> settings = userSettings();
    // Made 0600 before the first value goes in: the settings keep each
    // file's permissions when they rewrite it.
    const QString path = settings->fileName();
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return file.errorString();
    }
    // No name of one's own: the clinic's, if it names one, shows again.
    if (practitioner.named()) {
        settings->setValue(QLatin1String(nameKey), practitioner.name.trimmed());
        settings->setValue(QLatin1String(credentialsKey), practitioner.credentials.trimmed());
    } else {
        settings->remove(QLatin1String(nameKey));
        settings->remove(QLatin1String(credentialsKey));
    }
    settings->sync();
    if (settings->status() != QSettings::NoError)
        return QStringLiteral("%1 can't be written").arg(QDir::toNativeSeparators(path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return {};
}

void showPractitioner(QLabel &nameLabel, QLabel &credentialsLabel, const Practitioner &practitioner)
{
    if (!practitioner.named()) {
        showDesigned(nameLabel);
        showDesigned(credentialsLabel);
        return;
    }
    showWhole(nameLabel, practitioner.name);
    showWhole(credentialsLabel, practitioner.credentials);
}

} // namespace nutrovo::ui

// The dietitian named in the header: the settings practitioner/name and
// practitioner/credentials of the user's nutrovo.conf, each falling back to
// the clinic's nutrovo.conf (/etc/xdg/nutrovo, or the folders named by
// XDG_CONFIG_DIRS), and their place in the window's header.
#pragma once

#include <QString>

class QLabel;

namespace nutrovo::ui {

struct Practitioner {
    QString name;
    QString credentials;
    bool named() const { return !name.trimmed().isEmpty(); }
    // Name and credentials on one line, for the sheet's text and note pages.
    QString shown() const;
};

Practitioner readPractitioner();

// Writes both settings to the user's file, readable by this user alone (no
// name: removes them, so that the clinic's apply); the reason when the file
// could not be written.
QString savePractitioner(const Practitioner &practitioner);

// With a name: the name in nameLabel and the credentials in credentialsLabel,
// each shrunk or shortened to fit its place and spoken whole. Without: both
// labels' designed captions.
void showPractitioner(QLabel &nameLabel, QLabel &credentialsLabel, const Practitioner &practitioner);

} // namespace nutrovo::ui

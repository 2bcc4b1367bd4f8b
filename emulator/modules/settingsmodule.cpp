#include "modules/settingsmodule.h"

#include "core/device.h"
#include "ui/settingsdialog.h"

#include <QApplication>
#include <QThread>

namespace vreg {

void SettingsModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::ApplySettings, Subject::Settings, [this] { return device().applySettings(); });
    registry.add(Action::ShowProperties, Subject::Settings, [this] { return showProperties(); });
}

int SettingsModule::showProperties()
{
    // The driver may live in a program without widgets (a service, a test
    // runner); a dialog there would abort the process.
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app) {
        return device().fail(Code::DialogUnavailable,
                             QStringLiteral("Программа не создала QApplication: окно показать негде"));
    }
    if (QThread::currentThread() != app->thread()) {
        return device().fail(Code::DialogUnavailable,
                             QStringLiteral("ShowProperties вызвана не из потока интерфейса"));
    }
    // The dialog shows the tape as paper as it is now.
    if (device().services().flushPaper)
        device().services().flushPaper();
    SettingsDialog dialog(device().writtenSettings(), device().dataFolder(),
                          static_cast<QWidget *>(device().parentWindow()));
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    device().writtenSettings() = dialog.settings();
    const int applied = device().applySettings();
    return applied < 0 ? applied : 1;
}

} // namespace vreg

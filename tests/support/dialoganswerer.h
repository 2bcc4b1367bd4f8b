#pragma once

// Answers the modal dialogs a test provokes: the answer runs from the
// dialog's own event loop once it is up, and what the dialog said is kept.

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

class DialogAnswerer
{
public:
    // Runs `answer` on the next modal dialog that opens (a message box, an
    // input or file dialog).
    void onNextDialog(std::function<void(QWidget *)> answer)
    {
        // Owned here, so a dialog that never came leaves no timer behind to
        // touch a destroyed test object.
        auto *timer = new QTimer(&m_timerOwner);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this, timer, answer]() {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            timer->stop();
            timer->deleteLater();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                lastDialogTitle = box->windowTitle();
                lastDialogText = box->text();
                lastDialogIcon = box->icon();
            }
            lastDialogUsable = modal->isEnabled();
            ++dialogsSeen;
            answer(modal);
        });
        timer->start();
    }

    // Presses a standard button of the next message box (another dialog is
    // rejected).
    void answerNextMessageBox(QMessageBox::StandardButton button)
    {
        onNextDialog([button](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                box->button(button)->click();
            else if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
        });
    }

    QString lastDialogTitle;
    QString lastDialogText;
    QMessageBox::Icon lastDialogIcon = QMessageBox::NoIcon;
    bool lastDialogUsable = false;
    int dialogsSeen = 0;

private:
    QObject m_timerOwner;
};

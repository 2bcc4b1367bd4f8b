#pragma once

// Line edit for texts that go to the printer. Besides plain typing it lets
// the operator insert the special marks (double width, a picture or a
// barcode stored in the device) through its context menu, and edit the text
// on several lines in a TextEditDialog through its "..." button.

#include <QList>
#include <QWidget>

class QAction;

namespace Ui {
class Form;
}

class ExtendedLineEdit : public QWidget
{
    Q_OBJECT
public:
    explicit ExtendedLineEdit(QWidget *parent = nullptr);
    ~ExtendedLineEdit() override;

    // The text as typed: the marks stay special characters.
    QString text() const;
    void setText(const QString &text);

    // Stores the flags (ExtendedChars::Flag bits) and adds a menu entry for
    // every set bit that has none yet. Entries are never taken away, but the
    // "..." editor offers only what the latest flags allow.
    void setExtendedChars(int flags);
    int extendedChars() const { return m_flags; }

    void hideToolButton();

public slots:
    void showContextMenu(const QPoint &pos);
    void on_toolButton_clicked();

private:
    Ui::Form *ui;
    int m_flags = 0;
    QList<QAction *> m_specialActions; // in creation order
};

// Saves a picture of the main window for every section page, every tab and
// every barcode option page, so the layout can be reviewed without clicking
// through the program. Usage: fptr_screenshots OUTPUT_DIR

#include "fptrmainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextStream>

#include <memory>

namespace {

// Builds the window to photograph. Everything below finds its widgets by
// object name only, so the form on a plain QMainWindow and the complete
// program window can be exchanged here.
std::unique_ptr<QMainWindow> createWindow()
{
    // The real window, with its default device (the virtual register).
    return std::make_unique<FptrMainWindow>();
}

class Photographer
{
public:
    Photographer(QMainWindow *window, const QDir &dir) : m_window(window), m_dir(dir) {}

    // Saves the window as shown, and the whole content of every scrolling
    // part of `shown` that is taller or wider than its viewport.
    bool save(const QString &name, QWidget *shown)
    {
        QApplication::processEvents();
        bool ok = write(m_window->grab(), name);
        for (auto *area : shown->findChildren<QScrollArea *>()) {
            QWidget *content = area->widget();
            if (content && area->isVisible()
                && (content->height() > area->viewport()->height()
                    || content->width() > area->viewport()->width()))
                ok &= write(content->grab(), name + QLatin1Char('-') + area->objectName());
        }
        return ok;
    }
    int count() const { return m_count; }

private:
    bool write(const QPixmap &picture, const QString &name)
    {
        const QString path = m_dir.filePath(name + QStringLiteral(".png"));
        if (!picture.save(path)) {
            QTextStream(stderr) << "cannot write " << path << '\n';
            return false;
        }
        ++m_count;
        return true;
    }

    QMainWindow *m_window;
    QDir m_dir;
    int m_count = 0;
};

// Checks the section button of the page shown, as a click would.
void checkSectionButton(QMainWindow *window, int index)
{
    auto *column = window->findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents"));
    auto *grid = column ? qobject_cast<QGridLayout *>(column->layout()) : nullptr;
    if (!grid)
        return;
    for (int row = 0; row < grid->rowCount(); ++row) {
        QLayoutItem *item = grid->itemAtPosition(row, 0);
        if (auto *button = item ? qobject_cast<QPushButton *>(item->widget()) : nullptr)
            button->setChecked(row == index);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: " << args.value(0) << " OUTPUT_DIR\n";
        return 2;
    }
    QDir dir(args.at(1));
    if (!dir.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "cannot create " << args.at(1) << '\n';
        return 1;
    }

    std::unique_ptr<QMainWindow> window = createWindow();
    window->show();
    Photographer camera(window.get(), dir);

    auto *stack = window->findChild<QStackedWidget *>(QStringLiteral("stackedWidgetMain"));
    if (!stack) {
        QTextStream(stderr) << "the window has no stackedWidgetMain\n";
        return 1;
    }
    bool ok = true;
    for (int index = 0; index < stack->count(); ++index) {
        QWidget *page = stack->widget(index);
        // Shown first: a page is built when it first appears.
        stack->setCurrentIndex(index);
        if (!page->layout())
            continue; // the unused index has an empty page
        checkSectionButton(window.get(), index);
        const QString prefix = QStringLiteral("%1-%2").arg(index, 2, 10, QLatin1Char('0'))
                                   .arg(page->objectName());
        auto *tabs = page->findChild<QTabWidget *>();
        if (!tabs) {
            ok &= camera.save(prefix, page);
            continue;
        }
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            QWidget *tab = tabs->widget(t);
            const QString name = prefix + QLatin1Char('-') + tab->objectName();
            ok &= camera.save(name, tab);
            // option pages that switch inside a tab (barcode types)
            for (auto *inner : tab->findChildren<QStackedWidget *>()) {
                const int shown = inner->currentIndex();
                for (int p = 0; p < inner->count(); ++p) {
                    if (p == shown)
                        continue;
                    inner->setCurrentIndex(p);
                    ok &= camera.save(name + QLatin1Char('-') + inner->widget(p)->objectName(), tab);
                }
                inner->setCurrentIndex(shown);
            }
        }
        tabs->setCurrentIndex(0);
    }
    QTextStream(stdout) << camera.count() << " pictures in " << dir.absolutePath() << '\n';
    return ok ? 0 : 1;
}

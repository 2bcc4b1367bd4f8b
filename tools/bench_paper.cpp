// Benchmark of the tape as paper (a program, not a test: it prints figures).
//
//   vreg_bench_paper [RUNS]
//
// (a) Drawing: a 50-line receipt with one QR code drawn as paper and saved
//     as its PNG, as the virtual register does for every document (the
//     target: at most 20 ms).
// (b) The printing action: the same receipt printed through the driver
//     (PrintFormattedText, printing speed 0) with the live tape window off
//     and on, in a GUI application whose GUI thread is the caller; then the
//     time the GUI thread spends afterwards putting the document into the
//     window, which is outside the action.
//
// Run it with the platform the figures are for, e.g. QT_QPA_PLATFORM=offscreen.

#include "core/barcode.h"
#include "core/paper.h"
#include "driver/ifptr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

const QString kQr = QStringLiteral("https://check.example/?t=20240101T1200&s=150.00&fn=9999078900012345&i=42&fp=1234567890&n=1");

QStringList receiptLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Товар №%1 молоко 3,2%%     2 x 75.00").arg(i).left(32);
    return lines;
}

struct Figures
{
    double median = 0;
    double worst = 0;
};

Figures figures(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return Figures{samples[samples.size() / 2], samples.back()};
}

QString ms(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral(" ms");
}

struct DrawFigures
{
    Figures total;
    Figures draw; // the picture alone, without the PNG
};

DrawFigures drawing(int runs, const QString &folder)
{
    vreg::Barcode qr;
    qr.type = int(vreg::BarcodeKind::Qr);
    qr.text = kQr;
    qr.encodingMode = 2;
    qr.alignment = 1;
    vreg::PaperTape paper;
    std::vector<double> samples;
    std::vector<double> drawn;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        QImage symbol;
        vreg::renderBarcode(qr, 384, &symbol);
        QStringList lines = receiptLines(50);
        lines.insert(40, paper.imageLine(symbol, {QStringLiteral("[QR Code: ...]")}));
        const QImage document = paper.draw(lines, 32, 384, paper.take(lines));
        drawn.push_back(double(clock.nsecsElapsed()) / 1e6);
        QString path;
        QString error;
        if (!paper.save(document, folder, &path, &error))
            qFatal("%s", qPrintable(error));
        samples.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return DrawFigures{figures(samples), figures(drawn)};
}

using Driver = VOR::Fptr::IFptr;

struct ActionFigures
{
    Figures action;
    Figures window; // the GUI thread's work after the action
};

ActionFigures printing(int runs, bool tapeWindow, const QString &folder)
{
    QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/fptr"));
    library.load();
    auto create = reinterpret_cast<CreateFptrInterfaceFunction>(library.resolve("CreateFptrInterface"));
    auto release = reinterpret_cast<ReleaseFptrInterfaceFunction>(library.resolve("ReleaseFptrInterface"));
    Driver *device = create(VOR_FPTR_INTERFACE_VERSION);
    device->WriteSetting(L"DataDir", folder.toStdWString().c_str());
    device->WriteSetting(L"PrintSpeed", L"0");
    device->WriteSetting(L"TapeWindow", tapeWindow ? L"1" : L"0");
    device->ApplySettings();
    device->DeviceEnabled(1);
    QCoreApplication::processEvents();
    device->BarcodeType(4);
    device->Barcode(kQr.toStdWString().c_str());
    device->BarcodeEncodingMode(2);
    device->Alignment(1);
    device->BarcodeDeferredPrint(1);
    device->PrintBarcode();

    std::vector<double> action;
    std::vector<double> window;
    const QStringList lines = receiptLines(50);
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < lines.size(); ++i) {
            device->Caption((i == 40 ? QStringLiteral("\x0B" "1\x0B") : lines[i]).toStdWString().c_str());
            device->AddField();
        }
        device->Caption(L"");
        device->TextWrap(0);
        device->Alignment(0);
        device->PrintPurpose(0);
        QElapsedTimer clock;
        clock.start();
        if (device->PrintFormattedText() < 0)
            qFatal("printing failed");
        action.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        QCoreApplication::processEvents();
        window.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    release(&device);
    return ActionFigures{figures(action), figures(window)};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 50;
    QTemporaryDir folder;
    QTextStream out(stdout);

    drawing(3, folder.filePath(QStringLiteral("warm")));
    const DrawFigures draw = drawing(runs, folder.filePath(QStringLiteral("draw")));
    out << "(a) drawing a 50-line receipt with a QR code and saving its PNG, " << runs << " runs: median "
        << ms(draw.total.median) << ", worst " << ms(draw.total.worst) << " (target: 20 ms);\n"
        << "    of which the drawing without the PNG: median " << ms(draw.draw.median) << ", worst "
        << ms(draw.draw.worst) << "\n";

    const ActionFigures off = printing(runs, false, folder.filePath(QStringLiteral("off")));
    const ActionFigures on = printing(runs, true, folder.filePath(QStringLiteral("on")));
    out << "(b) PrintFormattedText of the same receipt, " << runs << " runs:\n"
        << "    live window off: median " << ms(off.action.median) << ", worst " << ms(off.action.worst) << "\n"
        << "    live window on:  median " << ms(on.action.median) << ", worst " << ms(on.action.worst) << "\n"
        << "    the GUI thread's work on the window after the action: median " << ms(on.window.median) << ", worst "
        << ms(on.window.worst) << "\n";
    return 0;
}

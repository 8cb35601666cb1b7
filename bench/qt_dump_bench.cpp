// Times the firmware-open command on a 16 MiB image, from the command to the dump standing in its
// view, against one bare setPlainText of the same text into the same view. Prints both and the
// ratio. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "QtPlatform.h"
#include "QtText.h"
#include "QtTextView.h"

namespace {

constexpr size_t ImageSize = 16u << 20;
constexpr int Rounds = 3;

std::filesystem::path WriteImage() {
    auto path = std::filesystem::temp_directory_path() /
                ("vantrel-bench-" + std::to_string(std::random_device()()) + ".bin");
    std::vector<char> bytes(ImageSize);
    std::mt19937 random(1);
    for (char& b : bytes) b = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    return path;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::filesystem::path image = WriteImage();

    QtPlatform platform;
    platform.AnswerFileDialog = [&](const std::string&) { return image.string(); };
    Program::StartUp(platform);
    auto& firmware = *FirmwareUnit::FirmwareForm;
    auto& view = dynamic_cast<QtTextView&>(*firmware.FirmwareShowMemo);
    firmware.Window->Show();
    QApplication::processEvents();

    std::vector<double> command, bare;
    QString text;
    for (int round = 0; round < Rounds; ++round) {
        firmware.DumpLines.Clear();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        MainUnit::MainForm->FileOpenClick();
        QApplication::processEvents();  // the view takes the rows when the loop runs
        command.push_back(timer.nsecsElapsed() / 1e9);
        if (view.document()->blockCount() != static_cast<int>(HexUnit::DumpRowCount()) + 1) {
            std::fprintf(stderr, "the dump did not reach the view\n");
            return 1;
        }

        if (text.isEmpty()) text = QtText::ToDocument(firmware.DumpLines.Text());
        view.QPlainTextEdit::setPlainText(QString());
        QApplication::processEvents();
        timer.restart();
        view.QPlainTextEdit::setPlainText(text);
        QApplication::processEvents();
        bare.push_back(timer.nsecsElapsed() / 1e9);
    }
    const auto rows = static_cast<unsigned long long>(HexUnit::DumpRowCount());
    Program::ShutDown();
    std::filesystem::remove(image);

    const double commandTime = Median(command), bareTime = Median(bare);
    std::printf("image: %zu bytes, %llu dump rows, %lld characters\n", ImageSize, rows,
                static_cast<long long>(text.size()));
    std::printf("firmware open to dump in view: %.3f s (median of %d)\n", commandTime, Rounds);
    std::printf("bare setPlainText:             %.3f s (median of %d)\n", bareTime, Rounds);
    std::printf("ratio: %.2f (target at most 1.30)\n", commandTime / bareTime);
    return 0;
}

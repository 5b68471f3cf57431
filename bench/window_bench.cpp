// The encryption run from the main window's button against the same run through the headless
// view, side by side on one data file in the page cache. The window is drawn offscreen unless
// QT_QPA_PLATFORM says otherwise.
//
// RAVDAN_BENCH_MIB sets the file's size (256 MiB unless set), RAVDAN_BENCH_DIR its folder.

#include "Unit3.h"
#include "bench_support.h"
#include "runs.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::u16string_view kPassword = u"bench";

const bench::TDataFile* gFile = nullptr;
TForm3* gForm = nullptr;

// Counts the paint events of the progress bar: what the window adds to a run is about their
// number times their price.
class TPaintCounter : public QObject {
  public:
    std::int64_t Paints = 0;
    bool eventFilter(QObject*, QEvent* Event) override {
        if (Event->type() == QEvent::Paint) {
            ++Paints;
        }
        return false;
    }
};
TPaintCounter gPaints;
std::vector<std::int64_t> gPaintsPerRun;

void SetBytes(benchmark::State& State) {
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(gFile->Size));
}

void BM_WindowRun(benchmark::State& State) {
    int boxes = 0;
    gForm->OnMessageBox = [&](QMessageBox& Box) {
        ++boxes;
        Box.accept();
    };
    gForm->OnErrorBox = [&](QMessageBox& Box) {
        State.SkipWithError(("error box: " + Box.text().toStdString()).c_str());
        Box.accept();
    };
    gForm->Edit1->setText(QString::fromStdU16String(gFile->Input.u16string()));
    gForm->Edit2->setText(QString::fromUtf16(kPassword.data(), kPassword.size()));
    for (auto _ : State) {
        State.PauseTiming();
        std::filesystem::remove(gFile->Output);
        gPaints.Paints = 0;
        State.ResumeTiming();
        gForm->Button1->click();
        gPaintsPerRun.push_back(gPaints.Paints);
    }
    if (boxes != State.iterations()) {
        State.SkipWithError("a run did not end with its closing message");
    }
    SetBytes(State);
}

// One position that changes the bar's picture, through the window's own run view.
void BM_BarRepaint(benchmark::State& State) {
    TMainRunView& view = gForm->RunView();
    view.ShowProgress();
    constexpr std::int32_t kMax = 1 << 20;
    constexpr std::int32_t kSteps = 300;  // fewer than the bar has pixels: each step draws
    view.SetProgressMax(kMax);
    std::int32_t k = 0;
    for (auto _ : State) {
        k = (k + 1) % kSteps;
        view.SetProgressPosition(k * (kMax / kSteps));
    }
    view.HideProgress();
}

void BM_HeadlessRun(benchmark::State& State) {
    for (auto _ : State) {
        bench::EncryptAfresh(State, *gFile, kPassword);
    }
    SetBytes(State);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    TForm3 form;
    Form3 = gForm = &form;
    form.show();
    form.ProgressBar1->installEventFilter(&gPaints);
    QApplication::processEvents();

    const bench::TDataFile file;
    gFile = &file;

    for (auto* b : {benchmark::RegisterBenchmark("BM_WindowRun", BM_WindowRun),
                    benchmark::RegisterBenchmark("BM_HeadlessRun", BM_HeadlessRun)}) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    }
    benchmark::RegisterBenchmark("BM_BarRepaint", BM_BarRepaint)->Unit(benchmark::kMicrosecond);
    bench::TMedianReporter reporter;
    bench::RunSideBySide(argc, argv, reporter);

    const double window = reporter.Median("BM_WindowRun/iterations:1/real_time");
    const double headless = reporter.Median("BM_HeadlessRun/iterations:1/real_time");
    if (window > 0 && headless > 0) {
        std::printf("medians of %zu: window %.3f s, headless %.3f s, window / headless %.3f\n",
                    reporter.Count("BM_WindowRun/iterations:1/real_time"), window, headless,
                    window / headless);
        std::sort(gPaintsPerRun.begin(), gPaintsPerRun.end());
        const double paint = reporter.Median("BM_BarRepaint");
        if (!gPaintsPerRun.empty() && paint > 0) {
            const std::int64_t paints = gPaintsPerRun[gPaintsPerRun.size() / 2];
            std::printf(
                "the bar was painted %lld times a run, at %.3f ms a paint alone: %.3f s (the runs "
                "differ by %.3f s)\n",
                static_cast<long long>(paints), paint * 1e3, static_cast<double>(paints) * paint,
                window - headless);
        }
    }
    Form3 = nullptr;
    if (std::filesystem::exists(gFile->Output) &&
        !bench::IsEncryptionOf(gFile->Output, gFile->Input, kPassword)) {
        std::fprintf(stderr, "the run's output is not OpenSSL's RC4 of its input\n");
        return 1;
    }
    return 0;
}

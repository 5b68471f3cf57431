// Runs the encryption or decryption run without any window, printing each call the run
// makes on its view. What the benchmarks and the acceptance checks drive.

#include "errors.h"
#include "runs.h"
#include "text.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

class TPrintView : public TRunView {
  public:
    explicit TPrintView(bool Quiet) : fQuiet(Quiet) {}
    void ShowProgress() override { std::fputs("ShowProgress\n", stdout); }
    void HideProgress() override { std::fputs("HideProgress\n", stdout); }
    void SetProgressMax(std::int32_t Value) override { std::printf("SetProgressMax %d\n", Value); }
    void SetProgressPosition(std::int32_t Value) override {
        if (!fQuiet) {
            std::printf("SetProgressPosition %d\n", Value);
        }
    }
    void ShowMessageBox(std::u16string_view Text) override {
        std::printf("ShowMessageBox %s\n", ToUtf8Lossy(Text).c_str());
    }

  private:
    bool fQuiet;
};

int Usage() {
    std::fputs("usage: ravdan-drive encrypt|decrypt [--quiet] PATH PASSWORD\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    int k = 1;
    if (k >= argc) {
        return Usage();
    }
    const std::string verb = argv[k++];
    bool quiet = false;
    if (k < argc && std::strcmp(argv[k], "--quiet") == 0) {
        quiet = true;
        ++k;
    }
    if (argc - k != 2 || (verb != "encrypt" && verb != "decrypt")) {
        return Usage();
    }
    const std::u16string path = FromUtf8Lossy(argv[k]);
    const std::u16string password = FromUtf8Lossy(argv[k + 1]);

    TPrintView view(quiet);
    try {
        if (verb == "encrypt") {
            EncryptRun(path, password, view);
        } else {
            DecryptRun(path, password, view);
        }
    } catch (const Exception& e) {
        std::fflush(stdout);
        std::printf("error %s: %s\n", e.ClassName(), ToUtf8Lossy(e.Message()).c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::printf("error EOutOfMemory: Out of memory\n");
        return 1;
    }
    return 0;
}

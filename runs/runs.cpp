#include "runs.h"

#include "errors.h"
#include "files.h"
#include "md5.h"
#include "rc4.h"
#include "wipe.h"

#include <new>
#include <optional>

namespace {

constexpr std::u16string_view kEmptyFields = u"Не заполнены поля.";
constexpr std::u16string_view kWrongType = u"Неверный тип файла.";
constexpr std::u16string_view kEncrypted = u"Файл зашифрован.";
constexpr std::u16string_view kDecrypted = u"Файл расшифрован.";

// Position, counted from 1, of the first occurrence of Sub in S; 0 when there is none.
std::size_t Pos(std::u16string_view Sub, std::u16string_view S) {
    const std::size_t k = S.find(Sub);
    return k == std::u16string_view::npos ? 0 : k + 1;
}

std::u16string BaseName(std::u16string_view Path, std::u16string_view Delims) {
    return StringReplace(ExtractFileName(Path, Delims), ExtractFileExt(Path, Delims), u"");
}

// The key text, wiped when the run lets go of it.
class TKeyText {
  public:
    explicit TKeyText(std::u16string_view Password) : fText(md5(Password)) {}
    ~TKeyText() { SecureWipe(fText); }
    TKeyText(const TKeyText&) = delete;
    TKeyText& operator=(const TKeyText&) = delete;
    const std::u16string& Text() const { return fText; }

  private:
    std::u16string fText;
};

// Streams Source through the cipher into Dest, the same for both directions. Chunks of
// BLOCKSIZE bytes and a shorter last one; the bar gets the bytes done before each chunk.
void RunChunkLoop(TFileStream& Source, TFileStream& Dest, const TMemoryBlock& SourceBuffer,
                  const TMemoryBlock& DestBuffer, std::u16string_view Password, TRunView& View) {
    const auto BlockSize = static_cast<std::int32_t>(SourceBuffer.Size());
    TRC4Context RC4;
    {
        const TKeyText key(Password);
        RC4Init(RC4, key.Text());
    }
    // The context is wiped on every way out, not only after the last chunk.
    struct TWipe {
        TRC4Context& RC4;
        ~TWipe() { RC4Done(RC4); }
    } wipe{RC4};

    // Held with no sharing, so the size cannot change under us; a file shortened all the
    // same ends in the read error.
    const std::int64_t size = Source.Size();
    const TProgressScale scale(size);
    View.SetProgressMax(scale(size));
    while (Source.Position() < size) {
        const std::int64_t left = size - Source.Position();
        const std::int32_t Len = left <= BlockSize ? static_cast<std::int32_t>(left) : BlockSize;
        View.SetProgressPosition(scale(Source.Position()));
        Source.ReadBuffer(SourceBuffer.Data(), Len);
        RC4Code(RC4, SourceBuffer.Data(), DestBuffer.Data(), Len);
        Dest.WriteBuffer(DestBuffer.Data(), Len);
    }
}

// Steps shared by both runs once the input is accepted: open, create, stream, report.
// The closing message comes while both files and the buffers are still held; they are
// released in the order buffers, input, output.
void TransformFile(std::u16string_view Path, std::u16string_view Password,
                   std::u16string_view OutputName, std::u16string_view DoneText,
                   std::int32_t BlockSize, TRunView& View) {
    // Declared first so that it is closed last: the input goes before the output.
    std::optional<TFileStream> dest;
    TFileStream source(Path, TFileStream::TMode::OpenRead);
    dest.emplace(OutputName, TFileStream::TMode::Create);
    const TMemoryBlock SourceBuffer(static_cast<std::size_t>(BlockSize));
    const TMemoryBlock DestBuffer(static_cast<std::size_t>(BlockSize));
    RunChunkLoop(source, *dest, SourceBuffer, DestBuffer, Password, View);
    View.ShowMessageBox(DoneText);
}

// A run's own check failed: the message, then the bar hidden.
void Refuse(TRunView& View, std::u16string_view Text) {
    View.ShowMessageBox(Text);
    View.HideProgress();
}

// Empty means of length zero: a box holding only spaces passes.
bool FieldsFilled(std::u16string_view Path, std::u16string_view Password, TRunView& View) {
    if (Path.empty() || Password.empty()) {
        Refuse(View, kEmptyFields);
        return false;
    }
    return true;
}

// A lack of memory anywhere in a run leaves it as the run's own out-of-memory error.
template <typename F>
void WithOutOfMemoryError(F&& Body) {
    try {
        Body();
    } catch (const std::bad_alloc&) {
        throw OutOfMemoryError();
    }
}

}  // namespace

bool IsDataFileHeader(std::u16string_view FirstLine) {
    return Pos(u"Date/Time,", FirstLine) == 4 || Pos(u"Date,Time,", FirstLine) == 4;
}

std::u16string EncryptedFileName(std::u16string_view Path, std::u16string_view Delims) {
    return ExtractFilePath(Path, Delims) + BaseName(Path, Delims) + u"crypt" +
           ExtractFileExt(Path, Delims);
}

std::u16string DecryptedFileName(std::u16string_view Path, std::u16string_view Delims) {
    return ExtractFilePath(Path, Delims) + Replace(BaseName(Path, Delims), u"crypt", u"") +
           u"uncrypt" + ExtractFileExt(Path, Delims);
}

TProgressScale::TProgressScale(std::int64_t Size) {
    while ((Size >> fShift) > INT32_MAX) {
        ++fShift;
    }
}

void EncryptRun(std::u16string_view Path, std::u16string_view Password, TRunView& View) {
    WithOutOfMemoryError([&] {
        constexpr std::int32_t BLOCKSIZE = 1000;
        if (!FieldsFilled(Path, Password, View)) {
            return;
        }
        // Only the head of the first line is read: the test looks at nothing past
        // character 13, and a file with no line break must not be read whole.
        const std::u16string st = ReadFirstLine(Path, HeaderLineChars);
        if (!IsDataFileHeader(st)) {
            Refuse(View, kWrongType);
            return;
        }
        View.ShowProgress();
        TransformFile(Path, Password, EncryptedFileName(Path), kEncrypted, BLOCKSIZE, View);
        View.HideProgress();
    });
}

void DecryptRun(std::u16string_view Path, std::u16string_view Password, TRunView& View) {
    WithOutOfMemoryError([&] {
        constexpr std::int32_t BLOCKSIZE = 1000;
        if (!FieldsFilled(Path, Password, View)) {
            return;
        }
        View.ShowProgress();
        TransformFile(Path, Password, DecryptedFileName(Path), kDecrypted, BLOCKSIZE, View);
        View.HideProgress();
    });
}

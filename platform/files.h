#pragma once
// The file services of the runs: reading the first line of a text file, and file streams with
// sharing rules. Each system supplies its own implementation of this interface.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads the first line of a file as text: bytes from the start, no byte-order mark handling,
// an LF ends the line, every CR is dropped, a 0x1A byte ends the text, and the bytes are
// decoded with the single-byte code page that stands for the ANSI code page. Stops once
// MaxChars characters of the line have been read, so a file with no line break is not read
// whole. Other programs may read the file meanwhile but not hold it exclusively. Raises
// EInOutError.
std::u16string ReadFirstLine(std::u16string_view Path, std::size_t MaxChars);

class TFileStream {
  public:
    enum class TMode {
        OpenRead,  // an existing file, for reading, no sharing
        Create,    // a new or emptied file, for reading and writing, no sharing
    };

    // Raises EFOpenError or EFCreateError with the file's full path and the system's text.
    TFileStream(std::u16string_view FileName, TMode Mode);
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // Raises EReadError when the system cannot tell it.
    std::int64_t Size() const;
    std::int64_t Position() const { return fPosition; }

    // Exactly Count bytes, or EReadError / EWriteError. A short transfer is continued.
    void ReadBuffer(void* Buffer, std::int64_t Count);
    void WriteBuffer(const void* Buffer, std::int64_t Count);

  private:
    std::intptr_t fHandle;
    std::int64_t fPosition = 0;
};

// A block of memory from the heap, wiped before it is released. Raises EOutOfMemory.
class TMemoryBlock {
  public:
    explicit TMemoryBlock(std::size_t Size);
    ~TMemoryBlock();
    TMemoryBlock(const TMemoryBlock&) = delete;
    TMemoryBlock& operator=(const TMemoryBlock&) = delete;

    std::uint8_t* Data() const { return fData; }
    std::size_t Size() const { return fSize; }

  private:
    std::uint8_t* fData;
    std::size_t fSize;
};

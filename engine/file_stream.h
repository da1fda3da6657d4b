#pragma once
// Handle-based file streams with 64-bit positions.
//
// The cache thread reads every source file through a TFileStreamEx. Reads and
// writes report failure as 0 bytes, the way the callers expect; `Failed()`
// tells a failed call apart from the end of the file.

#include <cstdint>
#include <string>

namespace valmuri {

// Seek origins.
enum class SeekOrigin : int { Beginning = 0, Current = 1, End = 2 };

class TStreamEx {
public:
    virtual ~TStreamEx() = default;

    // Returns false when the size cannot be changed.
    virtual bool SetSize(std::int64_t size) = 0;
    // Bytes read; 0 at the end of the data or on failure.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Bytes written; 0 on failure.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // The new position, or -1 on failure.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    // Size in bytes; the position is left where it was.
    std::int64_t Size();
    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
};

// A stream over an operating-system file descriptor. It does not own the
// descriptor; TFileStreamEx does.
class THandleStreamEx : public TStreamEx {
public:
    explicit THandleStreamEx(int handle) : handle_(handle) {}

    bool SetSize(std::int64_t size) override;
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    int Handle() const { return handle_; }
    // The last Read, Write, Seek or SetSize failed (errno in LastError()).
    bool Failed() const { return last_error_ != 0; }
    int LastError() const { return last_error_; }

protected:
    int handle_;
    int last_error_ = 0;
};

// Open modes: the low bits choose the access, the share bits are accepted and
// ignored (Linux has no share modes); fmCreate creates or empties the file.
inline constexpr std::uint32_t fmOpenRead = 0x0000;
inline constexpr std::uint32_t fmOpenWrite = 0x0001;
inline constexpr std::uint32_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint32_t fmShareDenyNone = 0x0040;
inline constexpr std::uint32_t fmCreate = 0xFFFF;

class TFileStreamEx : public THandleStreamEx {
public:
    TFileStreamEx(const std::string& file_name, std::uint32_t mode);
    ~TFileStreamEx() override;
    TFileStreamEx(const TFileStreamEx&) = delete;
    TFileStreamEx& operator=(const TFileStreamEx&) = delete;

    // The file could be opened (or created).
    bool IsOpen() const { return handle_ >= 0; }
    // Tells the kernel the file is read from start to end once.
    void AdviseSequential();
};

} // namespace valmuri

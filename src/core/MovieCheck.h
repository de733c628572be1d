#pragma once
// What a saved file is, read from the movie's own header: the signature (FWS
// plain, CWS zlib after the first 8 bytes, ZWS LZMA), the player version, the
// length the header declares, the stage, the frame rate and the frame count.
// The check also tells whether every declared byte is there: a plain movie by
// its file length, a zlib movie by inflating it to its end, an LZMA movie by the
// compressed length its header gives (only its first bytes are decoded, for
// the stage). A plain movie whose declared length is shorter than its own
// header plays all the same: it is judged by the file's end.
//
// The file comes in chunks of any size; nothing is allocated by a length read
// from the file and the work is bounded by the file's own size.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

enum class TMovieVerdict : uint8_t {
    NoMovie,   // the file does not begin with FWS, CWS or ZWS
    Complete,  // every byte the header declares is there
    CutShort,  // the file ends before the movie does
    Damaged,   // the data contradicts the header (see TMovieFault)
};

enum class TMovieFault : uint8_t {
    None,
    LengthBelowHeader,   // the declared length is shorter than the header itself (CWS, ZWS)
    BrokenData,          // the compressed data is not a valid stream
    EndsEarly,           // the compressed stream ends before the declared length
    LongerThanDeclared,  // the zlib stream goes on past the declared length
};

enum class TMovieCompression : uint8_t { None, Zlib, Lzma };

struct TMovieInfo {
    TMovieVerdict Verdict = TMovieVerdict::NoMovie;
    TMovieFault Fault = TMovieFault::None;
    TMovieCompression Compression = TMovieCompression::None;
    bool HeaderRead = false;           // version and declared lengths are known
    uint8_t Version = 0;
    uint32_t DeclaredLength = 0;       // the movie uncompressed, its 8-byte header included
    bool LengthKnown = true;           // false: an FWS length shorter than its header, the file's end counts
    // How much of that is there: the file (FWS, ZWS), 8 + inflated (CWS), and
    // for ZWS data that is broken or ends early, 8 + what its start decoded to.
    uint64_t MovieBytes = 0;
    uint32_t DeclaredCompressed = 0;   // ZWS: the LZMA data after its 17-byte header
    uint64_t CompressedBytes = 0;      // ZWS: the bytes present after that header
    uint64_t FileBytes = 0;
    bool HasStage = false;             // stage, rate and frame count were read
    int32_t StageXMin = 0, StageXMax = 0, StageYMin = 0, StageYMax = 0;  // twips
    uint16_t FrameRate = 0;            // 8.8 fixed point
    uint16_t FrameCount = 0;

    int StageWidth() const;   // pixels, rounded
    int StageHeight() const;
};

// Judges a file fed chunk by chunk, in order; Finish once the last one came.
class TMovieCheck {
public:
    TMovieCheck();
    ~TMovieCheck();
    TMovieCheck(const TMovieCheck&) = delete;
    TMovieCheck& operator=(const TMovieCheck&) = delete;

    void Feed(std::span<const uint8_t> chunk);
    TMovieInfo Finish();

private:
    struct TInflater;
    enum class TStep : uint8_t { Header, Body, Counting };

    void TakeHeader(std::span<const uint8_t>& chunk);
    void StartBody();
    void TakeBody(std::span<const uint8_t> bytes);
    void Inflate(std::span<const uint8_t> chunk);
    void TakeLzma(std::span<const uint8_t> bytes);
    size_t StageSize() const;
    void ReadStage();
    void DecodeLzmaStage();
    void JudgeLzma();
    void Judge();

    TMovieInfo info_;
    TStep step_ = TStep::Header;
    uint8_t head_[17] = {};    // the fixed header (8 bytes, 17 for ZWS)
    size_t headHave_ = 0;
    uint8_t stage_[21] = {};   // RECT (at most 17 bytes), frame rate, frame count
    size_t stageHave_ = 0;
    bool streamEnded_ = false;
    std::unique_ptr<TInflater> inflater_;
    // ZWS: the start of the LZMA data, all the decoder can need for the stage.
    std::unique_ptr<uint8_t[]> lzmaStart_;
    size_t lzmaHave_ = 0;
};

// Hands the next bytes of a file to buffer (at most capacity) and returns how
// many it gave; 0 at the end.
using TMovieReader = std::function<size_t(uint8_t* buffer, size_t capacity)>;

// Reads the whole file through read, in chunks of a fixed size.
TMovieInfo CheckMovie(const TMovieReader& read);
TMovieInfo CheckMovie(std::span<const uint8_t> bytes);

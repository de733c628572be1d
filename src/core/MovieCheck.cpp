#include "MovieCheck.h"

#include "LzmaDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr size_t PlainHeaderSize = 8;   // signature, version, declared length
constexpr size_t LzmaHeaderSize = 17;   // and the compressed length, then 5 bytes of LZMA properties
constexpr size_t StageMax = 21;        // RECT (at most 17 bytes), frame rate, frame count
// Enough LZMA data to decode the stage in any valid stream.
constexpr size_t LzmaStartMax = LzmaInputFor(StageMax);
constexpr size_t InflateChunk = 64u << 10;
constexpr size_t ReadChunk = 64u << 10;
// zlib counts its input in 32-bit units: longer chunks go in slices.
constexpr size_t MaxSlice = 1u << 30;

uint32_t ReadLE32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool IsSignature(const uint8_t* sig)
{
    return (sig[0] == 'F' || sig[0] == 'C' || sig[0] == 'Z') && sig[1] == 'W' && sig[2] == 'S';
}

TMovieCompression CompressionOf(uint8_t first)
{
    return first == 'C' ? TMovieCompression::Zlib : first == 'Z' ? TMovieCompression::Lzma : TMovieCompression::None;
}

// Bits of a byte string, most significant first, as the stage rectangle packs them.
class TBitReader {
public:
    TBitReader(const uint8_t* bytes) : bytes_(bytes) {}
    int32_t Signed(unsigned count)
    {
        if (count == 0) return 0;
        uint32_t v = 0;
        for (unsigned i = 0; i < count; ++i, ++bit_) v = v << 1 | (bytes_[bit_ / 8] >> (7 - bit_ % 8) & 1);
        const uint32_t sign = 1u << (count - 1);
        return static_cast<int32_t>(static_cast<int64_t>(v ^ sign) - sign);
    }

private:
    const uint8_t* bytes_;
    size_t bit_ = 5;  // after the 5-bit field width
};

// RECT: a 5-bit field width n, then four signed fields of n bits, padded to a byte.
size_t RectBytes(uint8_t first) { return (5 + 4 * (first >> 3) + 7) / 8; }

int TwipsToPixels(int32_t from, int32_t to) { return static_cast<int>(std::lround((int64_t{to} - from) / 20.0)); }

}  // namespace

int TMovieInfo::StageWidth() const { return TwipsToPixels(StageXMin, StageXMax); }
int TMovieInfo::StageHeight() const { return TwipsToPixels(StageYMin, StageYMax); }

// zlib's stream state and the one buffer it inflates into; both have a fixed size.
struct TMovieCheck::TInflater {
    z_stream Z{};
    bool Ready = false;
    // Never read before zlib writes it: left as it comes.
    std::unique_ptr<uint8_t[]> Out = std::make_unique_for_overwrite<uint8_t[]>(InflateChunk);

    TInflater() { Ready = inflateInit(&Z) == Z_OK; }
    ~TInflater()
    {
        if (Ready) inflateEnd(&Z);
    }
};

TMovieCheck::TMovieCheck() = default;
TMovieCheck::~TMovieCheck() = default;

void TMovieCheck::Feed(std::span<const uint8_t> chunk)
{
    info_.FileBytes += chunk.size();
    if (step_ == TStep::Header) TakeHeader(chunk);
    if (step_ != TStep::Body || chunk.empty()) return;
    switch (info_.Compression) {
    case TMovieCompression::None: TakeBody(chunk); break;
    case TMovieCompression::Zlib:
        while (!chunk.empty() && step_ == TStep::Body) {
            const size_t slice = std::min(chunk.size(), MaxSlice);
            Inflate(chunk.first(slice));
            chunk = chunk.subspan(slice);
        }
        break;
    case TMovieCompression::Lzma: TakeLzma(chunk); break;
    }
}

void TMovieCheck::TakeHeader(std::span<const uint8_t>& chunk)
{
    // At most 17 bytes: taken one by one, as the signature decides how many there are.
    while (!chunk.empty() && step_ == TStep::Header) {
        head_[headHave_++] = chunk.front();
        chunk = chunk.subspan(1);
        if (headHave_ == 3 && !IsSignature(head_)) {
            step_ = TStep::Counting;
            return;
        }
        if (headHave_ == 3) info_.Compression = CompressionOf(head_[0]);
        if (headHave_ == (info_.Compression == TMovieCompression::Lzma ? LzmaHeaderSize : PlainHeaderSize))
            StartBody();
    }
}

void TMovieCheck::StartBody()
{
    info_.HeaderRead = true;
    info_.Version = head_[3];
    info_.DeclaredLength = ReadLE32(head_ + 4);
    info_.MovieBytes = PlainHeaderSize;
    step_ = TStep::Body;
    if (info_.Compression == TMovieCompression::Lzma) {
        info_.DeclaredCompressed = ReadLE32(head_ + 8);
        lzmaStart_ = std::make_unique<uint8_t[]>(LzmaStartMax);
    }
    if (info_.Compression != TMovieCompression::Zlib) return;
    if (info_.DeclaredLength < PlainHeaderSize) {
        info_.Fault = TMovieFault::LengthBelowHeader;
        step_ = TStep::Counting;
        return;
    }
    inflater_ = std::make_unique<TInflater>();
    if (!inflater_->Ready) {
        info_.Fault = TMovieFault::BrokenData;
        step_ = TStep::Counting;
    }
}

void TMovieCheck::TakeBody(std::span<const uint8_t> bytes)
{
    const size_t n = std::min(bytes.size(), sizeof(stage_) - stageHave_);
    std::memcpy(stage_ + stageHave_, bytes.data(), n);
    stageHave_ += n;
}

void TMovieCheck::TakeLzma(std::span<const uint8_t> bytes)
{
    info_.CompressedBytes += bytes.size();
    const size_t n = std::min(bytes.size(), LzmaStartMax - lzmaHave_);
    std::memcpy(lzmaStart_.get() + lzmaHave_, bytes.data(), n);
    lzmaHave_ += n;
}

void TMovieCheck::Inflate(std::span<const uint8_t> chunk)
{
    z_stream& z = inflater_->Z;
    z.next_in = const_cast<Bytef*>(chunk.data());
    z.avail_in = static_cast<uInt>(chunk.size());
    // A full output buffer may leave inflated bytes behind in zlib even when
    // all the input is taken: go on until it has room to spare.
    do {
        // One byte past the declared length is enough to know the stream runs over.
        const uint64_t room = uint64_t{info_.DeclaredLength} - info_.MovieBytes + 1;
        const size_t size = static_cast<size_t>(std::min<uint64_t>(InflateChunk, room));
        z.next_out = inflater_->Out.get();
        z.avail_out = static_cast<uInt>(size);
        const int rc = inflate(&z, Z_NO_FLUSH);
        const size_t produced = size - z.avail_out;
        TakeBody({inflater_->Out.get(), produced});
        info_.MovieBytes += produced;
        if (info_.MovieBytes > info_.DeclaredLength)
            info_.Fault = TMovieFault::LongerThanDeclared;
        else if (rc == Z_STREAM_END)
            streamEnded_ = true;
        else if (rc == Z_BUF_ERROR)  // nothing more without more input
            return;
        else if (rc != Z_OK)
            info_.Fault = TMovieFault::BrokenData;
        else
            continue;
        step_ = TStep::Counting;  // what follows is not the movie
        inflater_.reset();
        return;
    } while (z.avail_in > 0 || z.avail_out == 0);
}

// The stage rectangle, the frame rate and the frame count follow the fixed
// header; the rectangle's first byte says how long it is.
size_t TMovieCheck::StageSize() const { return (stageHave_ > 0 ? RectBytes(stage_[0]) : 1) + 4; }

void TMovieCheck::ReadStage()
{
    const size_t stageSize = StageSize();
    if (stageHave_ < stageSize) return;
    TMovieInfo& i = info_;
    TBitReader bits(stage_);
    const unsigned width = stage_[0] >> 3;
    i.StageXMin = bits.Signed(width);
    i.StageXMax = bits.Signed(width);
    i.StageYMin = bits.Signed(width);
    i.StageYMax = bits.Signed(width);
    i.FrameRate = ReadLE16(stage_ + stageSize - 4);
    i.FrameCount = ReadLE16(stage_ + stageSize - 2);
    i.HasStage = true;
}

// Decodes no further than the stage, nor past the declared length.
void TMovieCheck::DecodeLzmaStage()
{
    const size_t want = std::min<size_t>(sizeof(stage_), info_.DeclaredLength - PlainHeaderSize);
    const TLzmaResult r = DecodeLzma(std::span<const uint8_t, LzmaPropertyBytes>(head_ + 12, LzmaPropertyBytes),
                                     {lzmaStart_.get(), lzmaHave_}, {stage_, want});
    stageHave_ = r.Produced;
    const bool dataComplete = info_.CompressedBytes >= info_.DeclaredCompressed;
    if (r.Stop == TLzmaStop::BadData)
        info_.Fault = TMovieFault::BrokenData;
    else if (r.Stop == TLzmaStop::EndMarker || (r.Stop == TLzmaStop::NeedInput && dataComplete))
        info_.Fault = TMovieFault::EndsEarly;  // the movie, as far as its data goes, is shorter than declared
    if (info_.Fault != TMovieFault::None) info_.MovieBytes = PlainHeaderSize + r.Produced;
}

void TMovieCheck::JudgeLzma()
{
    TMovieInfo& i = info_;
    if (i.DeclaredLength < PlainHeaderSize) {
        i.Fault = TMovieFault::LengthBelowHeader;
    } else {
        DecodeLzmaStage();
        ReadStage();
        if (i.Fault == TMovieFault::None && i.DeclaredLength < PlainHeaderSize + StageSize())
            i.Fault = TMovieFault::LengthBelowHeader;
    }
    i.Verdict = i.Fault != TMovieFault::None                              ? TMovieVerdict::Damaged
                : i.HasStage && i.CompressedBytes >= i.DeclaredCompressed ? TMovieVerdict::Complete
                                                                          : TMovieVerdict::CutShort;
}

void TMovieCheck::Judge()
{
    TMovieInfo& i = info_;
    // Plain movies arrive as they are; a zlib movie counts what it inflated to.
    if (i.Compression != TMovieCompression::Zlib || !i.HeaderRead) i.MovieBytes = i.FileBytes;
    if (headHave_ < 3 || !IsSignature(head_)) {
        i.Verdict = TMovieVerdict::NoMovie;
        return;
    }
    if (!i.HeaderRead) {
        i.Verdict = TMovieVerdict::CutShort;
        return;
    }
    if (i.Compression == TMovieCompression::Lzma) return JudgeLzma();
    ReadStage();
    const bool belowHeader = i.DeclaredLength < PlainHeaderSize + StageSize();
    if (i.Compression == TMovieCompression::None) {
        // Players take such a movie as running to the end of its file.
        i.LengthKnown = !belowHeader;
        i.Verdict = i.HasStage && (belowHeader || i.MovieBytes >= i.DeclaredLength) ? TMovieVerdict::Complete
                                                                                    : TMovieVerdict::CutShort;
        return;
    }
    if (i.Fault == TMovieFault::None && belowHeader) i.Fault = TMovieFault::LengthBelowHeader;
    if (i.Fault == TMovieFault::None && streamEnded_ && i.MovieBytes < i.DeclaredLength) i.Fault = TMovieFault::EndsEarly;
    if (i.Fault != TMovieFault::None)
        i.Verdict = TMovieVerdict::Damaged;
    else
        i.Verdict = streamEnded_ ? TMovieVerdict::Complete : TMovieVerdict::CutShort;
}

TMovieInfo TMovieCheck::Finish()
{
    Judge();
    return info_;
}

TMovieInfo CheckMovie(const TMovieReader& read)
{
    TMovieCheck check;
    std::vector<uint8_t> buffer(ReadChunk);
    while (const size_t n = read(buffer.data(), buffer.size())) check.Feed({buffer.data(), std::min(n, buffer.size())});
    return check.Finish();
}

TMovieInfo CheckMovie(std::span<const uint8_t> bytes)
{
    TMovieCheck check;
    check.Feed(bytes);
    return check.Finish();
}

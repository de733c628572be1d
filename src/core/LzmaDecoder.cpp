#include "LzmaDecoder.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using TProb = uint16_t;

constexpr unsigned ModelBits = 11;  // probabilities in 1/2048
constexpr TProb HalfProb = 1 << (ModelBits - 1);
constexpr unsigned MoveBits = 5;
constexpr uint32_t TopValue = 1u << 24;
constexpr unsigned States = 12;
constexpr unsigned PosStatesMax = 16;
constexpr unsigned LenToPosStates = 4;
constexpr unsigned AlignBits = 4;
constexpr unsigned EndPosModelIndex = 14;
constexpr unsigned FullDistances = 128;
constexpr unsigned LiteralProbs = 0x300;
constexpr unsigned MatchMinLength = 2;
constexpr unsigned FirstMatchState = 7;       // states from here on follow a match or a rep
constexpr uint32_t MinDictionary = 1u << 12;  // smaller sizes in the properties count as this

// Lengths: 2-9 from the low trees, 10-17 from the middle ones, 18-273 from the high tree.
struct TLengthModel {
    TProb Choice = HalfProb;
    TProb Choice2 = HalfProb;
    std::array<std::array<TProb, 8>, PosStatesMax> Low;
    std::array<std::array<TProb, 8>, PosStatesMax> Mid;
    std::array<TProb, 256> High;
    TLengthModel()
    {
        for (auto& t : Low) t.fill(HalfProb);
        for (auto& t : Mid) t.fill(HalfProb);
        High.fill(HalfProb);
    }
};

template <size_t N>
std::array<TProb, N> HalfArray()
{
    std::array<TProb, N> a;
    a.fill(HalfProb);
    return a;
}

// The range coder, the adaptive model and the window, which is the output.
class TLzmaDecoder {
public:
    TLzmaDecoder(unsigned lc, unsigned lp, unsigned pb, uint32_t dictionary, std::span<const uint8_t> in,
                 std::span<uint8_t> out);
    TLzmaResult Run();

private:
    uint8_t NextByte();
    void Normalize();
    unsigned Bit(TProb& p);
    uint32_t DirectBits(unsigned count);
    unsigned Tree(TProb* probs, unsigned bits);
    unsigned ReverseTree(TProb* probs, unsigned bits);
    unsigned Length(TLengthModel& m, unsigned posState);
    uint32_t Distance(unsigned length);
    TProb* LiteralTable();
    uint8_t Literal();
    bool Stored() const { return !starved_ && !bad_; }
    TLzmaResult Stop(TLzmaStop why) const { return {why, pos_}; }
    TLzmaResult Literals();
    struct TMatch {
        uint32_t Length;
        unsigned State;
        std::array<uint32_t, 4> Reps;
    };
    TMatch Repeat(unsigned posState);
    TMatch Fresh(unsigned posState);
    TLzmaResult Matches(unsigned posState);

    const unsigned lc_, lp_, pb_;
    const uint32_t dictionary_;
    std::span<const uint8_t> in_;
    size_t inPos_ = 0;
    std::span<uint8_t> out_;
    size_t pos_ = 0;
    uint32_t range_ = 0xFFFFFFFF, code_ = 0;
    bool starved_ = false, bad_ = false;
    unsigned state_ = 0;
    std::array<uint32_t, 4> reps_{};

    std::array<TProb, States * PosStatesMax> isMatch_ = HalfArray<States * PosStatesMax>();
    std::array<TProb, States> isRep_ = HalfArray<States>();
    std::array<TProb, States> isRepG0_ = HalfArray<States>();
    std::array<TProb, States> isRepG1_ = HalfArray<States>();
    std::array<TProb, States> isRepG2_ = HalfArray<States>();
    std::array<TProb, States * PosStatesMax> isRep0Long_ = HalfArray<States * PosStatesMax>();
    std::array<TProb, LenToPosStates << 6> posSlot_ = HalfArray<(LenToPosStates << 6)>();
    std::array<TProb, 1 + FullDistances - EndPosModelIndex> posSpecial_ = HalfArray<1 + FullDistances - EndPosModelIndex>();
    std::array<TProb, 1u << AlignBits> align_ = HalfArray<(1u << AlignBits)>();
    TLengthModel lengths_, repLengths_;
    // One table per literal context, up to 2^(lc+lp) of them (6 MiB at lc 8, lp 4).
    // A buffer of n bytes meets at most n contexts: then only those get a table.
    std::vector<TProb> literals_;
    bool sparse_ = false;             // fewer tables than contexts: contexts_ says whose each is
    std::vector<uint32_t> contexts_;
};

TLzmaDecoder::TLzmaDecoder(unsigned lc, unsigned lp, unsigned pb, uint32_t dictionary, std::span<const uint8_t> in,
                           std::span<uint8_t> out)
    : lc_(lc), lp_(lp), pb_(pb), dictionary_(std::max<uint32_t>(dictionary, MinDictionary)), in_(in), out_(out)
{
    const size_t contexts = size_t{1} << (lc + lp);
    const size_t tables = std::min(contexts, std::max<size_t>(out.size(), 1));
    literals_.assign(tables * LiteralProbs, HalfProb);
    sparse_ = tables < contexts;
    if (sparse_) contexts_.reserve(tables);
    // The first byte is always 0; the next four start the code.
    bad_ = NextByte() != 0;
    for (int i = 0; i < 4; ++i) code_ = code_ << 8 | NextByte();
    bad_ = bad_ || code_ == range_;
}

uint8_t TLzmaDecoder::NextByte()
{
    if (inPos_ == in_.size()) {
        starved_ = true;
        return 0;
    }
    return in_[inPos_++];
}

void TLzmaDecoder::Normalize()
{
    if (range_ >= TopValue) return;
    range_ <<= 8;
    code_ = code_ << 8 | NextByte();
}

unsigned TLzmaDecoder::Bit(TProb& p)
{
    const uint32_t bound = (range_ >> ModelBits) * p;
    unsigned bit;
    if (code_ < bound) {
        p = static_cast<TProb>(p + (((1u << ModelBits) - p) >> MoveBits));
        range_ = bound;
        bit = 0;
    } else {
        p = static_cast<TProb>(p - (p >> MoveBits));
        code_ -= bound;
        range_ -= bound;
        bit = 1;
    }
    Normalize();
    return bit;
}

uint32_t TLzmaDecoder::DirectBits(unsigned count)
{
    uint32_t v = 0;
    while (count-- > 0) {
        range_ >>= 1;
        const unsigned bit = code_ >= range_;
        if (bit) code_ -= range_;
        bad_ = bad_ || code_ == range_;
        Normalize();
        v = v << 1 | bit;
    }
    return v;
}

unsigned TLzmaDecoder::Tree(TProb* probs, unsigned bits)
{
    unsigned m = 1;
    for (unsigned i = 0; i < bits; ++i) m = m << 1 | Bit(probs[m]);
    return m - (1u << bits);
}

unsigned TLzmaDecoder::ReverseTree(TProb* probs, unsigned bits)
{
    unsigned m = 1, v = 0;
    for (unsigned i = 0; i < bits; ++i) {
        const unsigned bit = Bit(probs[m]);
        m = m << 1 | bit;
        v |= bit << i;
    }
    return v;
}

unsigned TLzmaDecoder::Length(TLengthModel& m, unsigned posState)
{
    if (!Bit(m.Choice)) return Tree(m.Low[posState].data(), 3);
    if (!Bit(m.Choice2)) return 8 + Tree(m.Mid[posState].data(), 3);
    return 16 + Tree(m.High.data(), 8);
}

uint32_t TLzmaDecoder::Distance(unsigned length)
{
    const unsigned slot = Tree(&posSlot_[std::min(length, LenToPosStates - 1) << 6], 6);
    if (slot < 4) return slot;
    const unsigned direct = (slot >> 1) - 1;
    uint32_t distance = (2 | (slot & 1)) << direct;
    if (slot < EndPosModelIndex) return distance + ReverseTree(&posSpecial_[distance - slot], direct);
    distance += DirectBits(direct - AlignBits) << AlignBits;
    return distance + ReverseTree(align_.data(), AlignBits);
}

TProb* TLzmaDecoder::LiteralTable()
{
    const uint8_t previous = pos_ > 0 ? out_[pos_ - 1] : 0;
    const uint32_t context = ((pos_ & ((1u << lp_) - 1)) << lc_) + (previous >> (8 - lc_));
    if (!sparse_) return &literals_[size_t{context} * LiteralProbs];
    size_t table = std::find(contexts_.begin(), contexts_.end(), context) - contexts_.begin();
    if (table == contexts_.size()) contexts_.push_back(context);  // at most one new context per byte written
    return &literals_[table * LiteralProbs];
}

uint8_t TLzmaDecoder::Literal()
{
    TProb* probs = LiteralTable();
    unsigned symbol = 1;
    if (state_ >= FirstMatchState) {
        // After a match the byte at the last distance steers the bits until one differs.
        unsigned match = out_[pos_ - reps_[0] - 1];
        while (symbol < 0x100) {
            const unsigned matchBit = match >> 7 & 1;
            match <<= 1;
            const unsigned bit = Bit(probs[((1 + matchBit) << 8) + symbol]);
            symbol = symbol << 1 | bit;
            if (bit != matchBit) break;
        }
    }
    while (symbol < 0x100) symbol = symbol << 1 | Bit(probs[symbol]);
    return static_cast<uint8_t>(symbol);
}

TLzmaResult TLzmaDecoder::Literals()
{
    const uint8_t byte = Literal();
    if (!Stored()) return Stop(starved_ ? TLzmaStop::NeedInput : TLzmaStop::BadData);
    out_[pos_++] = byte;
    state_ = state_ < 4 ? 0 : state_ < 10 ? state_ - 3 : state_ - 6;
    return Stop(TLzmaStop::Full);
}

// A repeat of one of the last four distances, or one byte at the last.
TLzmaDecoder::TMatch TLzmaDecoder::Repeat(unsigned posState)
{
    TMatch m{1, state_ < FirstMatchState ? 9u : 11u, reps_};
    if (!Bit(isRepG0_[state_])) {
        if (!Bit(isRep0Long_[state_ * PosStatesMax + posState])) return m;
    } else {
        unsigned which = !Bit(isRepG1_[state_]) ? 1 : !Bit(isRepG2_[state_]) ? 2 : 3;
        const uint32_t distance = m.Reps[which];
        for (; which > 0; --which) m.Reps[which] = m.Reps[which - 1];
        m.Reps[0] = distance;
    }
    m.Length = MatchMinLength + Length(repLengths_, posState);
    m.State = state_ < FirstMatchState ? 8 : 11;
    return m;
}

// A match at a new distance; the distance 0xFFFFFFFF is the end marker.
TLzmaDecoder::TMatch TLzmaDecoder::Fresh(unsigned posState)
{
    const unsigned code = Length(lengths_, posState);
    const uint32_t distance = Distance(code);
    return {MatchMinLength + code, state_ < FirstMatchState ? 7u : 10u, {distance, reps_[0], reps_[1], reps_[2]}};
}

TLzmaResult TLzmaDecoder::Matches(unsigned posState)
{
    const TMatch m = Bit(isRep_[state_]) ? Repeat(posState) : Fresh(posState);
    if (starved_) return Stop(TLzmaStop::NeedInput);
    if (!bad_ && m.Reps[0] == 0xFFFFFFFF) return Stop(TLzmaStop::EndMarker);
    // Repeated distances were checked when they came: only a new one can reach before the window.
    if (bad_ || m.Reps[0] >= pos_ || m.Reps[0] >= dictionary_) return Stop(TLzmaStop::BadData);
    state_ = m.State;
    reps_ = m.Reps;
    const size_t n = std::min<size_t>(m.Length, out_.size() - pos_);
    for (size_t i = 0; i < n; ++i, ++pos_) out_[pos_] = out_[pos_ - reps_[0] - 1];
    return Stop(TLzmaStop::Full);
}

TLzmaResult TLzmaDecoder::Run()
{
    if (starved_) return Stop(TLzmaStop::NeedInput);
    if (bad_) return Stop(TLzmaStop::BadData);
    while (pos_ < out_.size()) {
        const unsigned posState = pos_ & ((1u << pb_) - 1);
        const unsigned kind = Bit(isMatch_[state_ * PosStatesMax + posState]);
        const TLzmaResult step = kind ? Matches(posState) : Literals();
        if (step.Stop != TLzmaStop::Full) return step;
    }
    return Stop(TLzmaStop::Full);
}

}  // namespace

TLzmaResult DecodeLzma(std::span<const uint8_t, LzmaPropertyBytes> properties, std::span<const uint8_t> stream,
                       std::span<uint8_t> out)
{
    unsigned d = properties[0];
    if (d >= 9 * 5 * 5) return {TLzmaStop::BadData, 0};
    const unsigned lc = d % 9;
    d /= 9;
    const uint32_t dictionary = properties[1] | properties[2] << 8 | properties[3] << 16 | uint32_t{properties[4]} << 24;
    return TLzmaDecoder(lc, d % 5, d / 5, dictionary, stream, out).Run();
}

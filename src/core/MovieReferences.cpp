#include "MovieReferences.h"

#include "LzmaDecoder.h"
#include "MovieUrl.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <string>
#include <unordered_set>

namespace {

constexpr size_t HeaderSize = 8;        // signature, version, declared length
constexpr size_t LzmaHeaderSize = 17;   // and the compressed length, then 5 bytes of LZMA properties
constexpr size_t FirstOutput = 64u << 10;
// zlib counts in 32-bit units: longer spans go in slices.
constexpr size_t MaxSlice = 1u << 30;
constexpr size_t MaxReferenceLength = 2048;

// Twice the capacity, at most room.
size_t Grown(size_t capacity, size_t room) { return room / 2 < capacity ? room : 2 * capacity; }

// The first buffer: what the compressed size suggests, at most room.
size_t FirstCapacity(size_t compressed, size_t times, size_t room)
{
    const size_t suggested = compressed > SIZE_MAX / times ? SIZE_MAX : compressed * times;
    return std::min(room, std::max(FirstOutput, suggested));
}

uint16_t LE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t LE32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

bool IsSignature(const uint8_t* sig)
{
    return (sig[0] == 'F' || sig[0] == 'C' || sig[0] == 'Z') && sig[1] == 'W' && sig[2] == 'S';
}

// RECT (a 5-bit field width n, four fields of n bits, padded to a byte), then
// the frame rate and count.
size_t StageBytes(uint8_t first) { return (5 + 4 * (first >> 3) + 7) / 8 + 4; }

// ---------------------------------------------------------------------------
// Decompression

// Inflates data into out after its header's 8 bytes, at most room bytes; out
// grows by doubling as the stream fills it. The bytes inflated; nothing when
// the stream is broken before any came out.
std::optional<size_t> Inflate(std::span<const uint8_t> data, size_t room, std::vector<uint8_t>& out)
{
    out.resize(HeaderSize + FirstCapacity(data.size(), 2, room));
    if (room == 0) return 0;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    size_t produced = 0;
    bool broken = false;
    for (;;) {
        if (z.avail_in == 0 && !data.empty()) {
            const size_t slice = std::min(data.size(), MaxSlice);
            z.next_in = const_cast<Bytef*>(data.data());
            z.avail_in = static_cast<uInt>(slice);
            data = data.subspan(slice);
        }
        size_t capacity = out.size() - HeaderSize;
        if (produced == capacity) {
            if (capacity == room) break;
            capacity = Grown(capacity, room);
            out.resize(HeaderSize + capacity);
        }
        const size_t space = std::min(capacity - produced, MaxSlice);
        z.next_out = out.data() + HeaderSize + produced;
        z.avail_out = static_cast<uInt>(space);
        const int rc = inflate(&z, Z_NO_FLUSH);
        produced += space - z.avail_out;
        if (rc == Z_OK) continue;
        // Z_BUF_ERROR: no progress with room to write, so the input has ended.
        broken = rc != Z_STREAM_END && rc != Z_BUF_ERROR;
        break;
    }
    inflateEnd(&z);
    if (broken && produced == 0) return std::nullopt;
    return produced;
}

// Decodes the LZMA movie's stream into out after 8 bytes, at most room bytes.
// The decoder writes into one buffer that is its whole window: when it fills
// one, it runs again from the start into one twice the size. The buffers that
// filled add up to less than twice what came out, so the work is less than
// three times one decoding of it (measured: 2.7 times for a stream that
// expands 17-fold, once for one that expands less than 4-fold, which the first
// buffer holds).
std::optional<size_t> Unlzma(std::span<const uint8_t> file, size_t room, std::vector<uint8_t>& out)
{
    out.resize(HeaderSize);
    if (room == 0) return 0;
    const std::span<const uint8_t, LzmaPropertyBytes> properties(file.data() + 12, LzmaPropertyBytes);
    const std::span<const uint8_t> stream = file.subspan(LzmaHeaderSize);
    size_t capacity = FirstCapacity(stream.size(), 4, room);
    for (;;) {
        out.clear();  // what is in it now is written again: nothing to keep
        out.resize(HeaderSize + capacity);
        const TLzmaResult r = DecodeLzma(properties, stream, {out.data() + HeaderSize, capacity});
        if (r.Stop == TLzmaStop::Full && capacity < room) {
            capacity = Grown(capacity, room);
            continue;
        }
        if (r.Stop == TLzmaStop::BadData && r.Produced == 0) return std::nullopt;
        return r.Produced;
    }
}

// ---------------------------------------------------------------------------
// Reading tags and actions

// What a string's bytes say at a first look, gathered as they are read: a
// byte no reference holds (blanks, control characters, quotes, "<", ">", "*"),
// a "." or ":" (without either, a string is a name and no reference), the
// null that ends a string.
enum : uint8_t { CharForbidden = 1, CharMark = 2, CharNull = 4 };
constexpr std::array<uint8_t, 256> CharClasses = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c <= 0x20; ++c) t[c] = CharForbidden;
    for (unsigned char c : {'\x7F', '"', '\'', '<', '>', '*', '`'}) t[c] = CharForbidden;
    t['.'] = t[':'] = CharMark;
    t[0] |= CharNull;
    return t;
}();

uint8_t ClassesOf(std::string_view s)
{
    uint8_t classes = 0;
    for (char c : s) classes |= CharClasses[static_cast<unsigned char>(c)];
    return classes;
}

// Whether a string whose classes are known looks like a reference (LooksLikeReference).
bool LooksLikeReference(std::string_view s, uint8_t classes);

// A tag's or a record's bytes read forward; a read past the end fails, and
// every read after it gives nothing.
class TReader {
public:
    explicit TReader(std::span<const uint8_t> s) : p_(s.data()), end_(s.data() + s.size()) {}

    bool Ok() const { return ok_; }
    size_t Left() const { return static_cast<size_t>(end_ - p_); }
    std::span<const uint8_t> Rest() const { return {p_, Left()}; }
    bool Fail() { return ok_ = false; }

    bool Skip(uint64_t n)
    {
        if (!ok_ || n > Left()) return Fail();
        p_ += n;
        return true;
    }
    uint8_t U8()
    {
        if (!ok_ || p_ == end_) return Fail(), 0;
        return *p_++;
    }
    uint16_t U16()
    {
        if (!ok_ || Left() < 2) return Fail(), 0;
        p_ += 2;
        return LE16(p_ - 2);
    }
    uint32_t U32()
    {
        if (!ok_ || Left() < 4) return Fail(), 0;
        p_ += 4;
        return LE32(p_ - 4);
    }
    // The next n bytes, or as many as there are (the reader is then at its end).
    std::span<const uint8_t> Clipped(uint64_t n)
    {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(n, Left()));
        p_ += take;
        return {p_ - take, take};
    }
    std::string_view Bytes(uint64_t n)
    {
        if (!ok_ || n > Left()) return Fail(), std::string_view();
        p_ += n;
        return {reinterpret_cast<const char*>(p_ - n), static_cast<size_t>(n)};
    }
    // A string ended by a null byte, without it; a failure when no null comes.
    std::string_view String()
    {
        if (!ok_) return {};
        const void* null = std::memchr(p_, 0, Left());
        if (!null) return Fail(), std::string_view();
        const auto* s = reinterpret_cast<const char*>(p_);
        const size_t n = static_cast<const uint8_t*>(null) - p_;
        p_ += n + 1;
        return {s, n};
    }
    // The same, the classes of its bytes gathered on the way (the scan's strings are read once).
    std::string_view String(uint8_t& classes)
    {
        const uint8_t* q = p_;
        uint8_t c = 0;
        for (; q != end_; ++q) {
            const uint8_t k = CharClasses[*q];
            if (k & CharNull) break;
            c |= k;
        }
        if (!ok_ || q == end_) return Fail(), std::string_view();
        const std::string_view s(reinterpret_cast<const char*>(p_), static_cast<size_t>(q - p_));
        p_ = q + 1;
        classes = c;
        return s;
    }
    // An AVM2 variable-length integer: 7 bits a byte, low bits first, at most 5 bytes.
    uint32_t VarInt()
    {
        uint32_t v = 0;
        for (unsigned i = 0; i < 5; ++i) {
            const uint8_t b = U8();
            v |= uint32_t{b & 0x7Fu} << (7 * i);
            if (!(b & 0x80)) break;
        }
        return v;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    bool ok_ = true;
};

// The bit-packed records before clip actions (MATRIX, CXFORMWITHALPHA), most
// significant bit first, passed over: then the reader skips their bytes.
class TBits {
public:
    explicit TBits(const TReader& r) : bytes_(r.Rest()) {}
    bool Flag() { return Take(1) != 0; }
    uint32_t Take(unsigned n)
    {
        uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i, ++bit_) {
            if (bit_ / 8 >= bytes_.size()) return ok_ = false, 0;
            v = v << 1 | (bytes_[bit_ / 8] >> (7 - bit_ % 8) & 1);
        }
        return v;
    }
    void Pass(uint64_t bits)
    {
        bit_ += bits;
        ok_ = ok_ && bit_ <= uint64_t{bytes_.size()} * 8;
    }
    // The reader moved past the whole bytes the record took.
    bool Done(TReader& r) const { return ok_ ? r.Skip((bit_ + 7) / 8) : r.Fail(); }

private:
    std::span<const uint8_t> bytes_;
    uint64_t bit_ = 0;
    bool ok_ = true;
};

bool SkipMatrix(TReader& r)
{
    TBits b(r);
    if (b.Flag()) b.Pass(2 * b.Take(5));  // scale
    if (b.Flag()) b.Pass(2 * b.Take(5));  // rotate and skew
    b.Pass(2 * b.Take(5));                // translate
    return b.Done(r);
}

bool SkipColorTransformWithAlpha(TReader& r)
{
    TBits b(r);
    const unsigned terms = b.Flag() + b.Flag();  // added, multiplied
    b.Pass(uint64_t{terms} * 4 * b.Take(4));
    return b.Done(r);
}

// FILTERLIST: a count, then filters of a size their kind and counts give.
bool SkipFilters(TReader& r)
{
    for (unsigned n = r.U8(); n > 0 && r.Ok(); --n) {
        switch (r.U8()) {
        case 0: r.Skip(23); break;  // drop shadow
        case 1: r.Skip(9); break;   // blur
        case 2: r.Skip(15); break;  // glow
        case 3: r.Skip(27); break;  // bevel
        case 4:                     // gradient glow
        case 7: {                   // gradient bevel: colours and ratios, then as a bevel
            const unsigned colours = r.U8();
            r.Skip(5 * colours + 19);
            break;
        }
        case 5: {  // convolution: the matrix's size, divisor, bias, matrix, colour, flags
            const unsigned x = r.U8(), y = r.U8();
            r.Skip(8 + 4ull * x * y + 5);
            break;
        }
        case 6: r.Skip(80); break;  // colour matrix
        default: r.Fail();
        }
    }
    return r.Ok();
}

enum TTagCode : uint16_t {
    TagEnd = 0,
    TagDefineButton = 7,
    TagDoAction = 12,
    TagPlaceObject2 = 26,
    TagDefineButton2 = 34,
    TagDefineSprite = 39,
    TagImportAssets = 57,
    TagDoInitAction = 59,
    TagPlaceObject3 = 70,
    TagImportAssets2 = 71,
    TagDoAbcOld = 72,
    TagDoAbc = 82,
};

enum TActionCode : uint8_t {
    ActionGetUrl = 0x83,
    ActionConstantPool = 0x88,
    ActionPush = 0x96,
};

// ClipEventKeyPress in the 4-byte event flags, read as one little-endian number.
constexpr uint32_t ClipEventKeyPress = 0x00020000;

class TScanner {
public:
    explicit TScanner(uint8_t version) : version_(version) {}

    TMovieScan Scan(std::span<const uint8_t> tags)
    {
        const bool clean = Walk(tags, 0);
        scan_.Read = clean && !broken_;
        return std::move(scan_);
    }

private:
    bool Walk(std::span<const uint8_t> tags, unsigned depth);
    void Tag(uint16_t code, std::span<const uint8_t> body, unsigned depth);
    void Sprite(std::span<const uint8_t> body, unsigned depth);
    void Actions(std::span<const uint8_t> code);
    void ConstantPool(std::span<const uint8_t> body);
    void Push(std::span<const uint8_t> body);
    void GetUrl(std::span<const uint8_t> body);
    void Button(std::span<const uint8_t> body);
    void Button2(std::span<const uint8_t> body);
    void PlaceObject(std::span<const uint8_t> body, bool third);
    void ClipActions(TReader& r);
    void Abc(std::span<const uint8_t> abc);
    void Keep(std::string_view s, TReferenceKind kind) { Keep(s, kind, ClassesOf(s)); }
    void Keep(std::string_view s, TReferenceKind kind, uint8_t classes);
    // The next string of r, kept when it is a reference.
    void KeepString(TReader& r, TReferenceKind kind)
    {
        uint8_t classes = 0;
        const std::string_view s = r.String(classes);
        if (r.Ok()) Keep(s, kind, classes);
    }
    // Once the bound stopped the collecting, strings are not read any more.
    bool Collecting() const { return !full_; }

    const uint8_t version_;
    TMovieScan scan_;
    std::unordered_set<std::string_view> seen_;  // views into the movie
    std::string where_;      // "DefineSprite 3/" inside sprite 3
    const char* tag_ = "";   // the tag read now
    bool broken_ = false;    // a sprite's tags did not walk to their end
    bool full_ = false;
};

void TScanner::Keep(std::string_view s, TReferenceKind kind, uint8_t classes)
{
    if (!LooksLikeReference(s, classes) || seen_.contains(s)) return;
    if (scan_.References.size() >= MaxMovieReferences) {
        scan_.Cut = full_ = true;
        return;
    }
    seen_.insert(s);
    scan_.References.push_back({std::string(s), kind, where_ + tag_});
}

// RECORDHEADER: a 16-bit code and length (10 and 6 bits), the length 0x3F
// saying a 32-bit one follows.
bool TScanner::Walk(std::span<const uint8_t> tags, unsigned depth)
{
    size_t at = 0;
    while (at < tags.size()) {
        if (tags.size() - at < 2) return false;
        const uint16_t head = LE16(&tags[at]);
        at += 2;
        const uint16_t code = head >> 6;
        uint64_t length = head & 0x3F;
        if (length == 0x3F) {
            if (tags.size() - at < 4) return false;
            length = LE32(&tags[at]);
            at += 4;
        }
        if (code == TagEnd) return true;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(length, tags.size() - at));
        Tag(code, tags.subspan(at, n), depth);
        if (n < length) return false;
        at += n;
    }
    return true;
}

void TScanner::Tag(uint16_t code, std::span<const uint8_t> body, unsigned depth)
{
    if (code == TagDefineSprite) return Sprite(body, depth);
    if (!Collecting()) return;
    switch (code) {
    case TagDoAction:
        tag_ = "DoAction";
        Actions(body);
        break;
    case TagDoInitAction:
        tag_ = "DoInitAction";
        if (body.size() >= 2) Actions(body.subspan(2));
        break;
    case TagDefineButton:
        tag_ = "DefineButton";
        Button(body);
        break;
    case TagDefineButton2:
        tag_ = "DefineButton2";
        Button2(body);
        break;
    case TagPlaceObject2:
        tag_ = "PlaceObject2";
        PlaceObject(body, false);
        break;
    case TagPlaceObject3:
        tag_ = "PlaceObject3";
        PlaceObject(body, true);
        break;
    case TagDoAbc: {
        tag_ = "DoABC";
        TReader r(body);
        r.U32();  // flags
        r.String();  // name
        if (r.Ok()) Abc(r.Rest());
        break;
    }
    case TagDoAbcOld:
        tag_ = "DoABC";
        Abc(body);
        break;
    case TagImportAssets:
    case TagImportAssets2: {
        tag_ = code == TagImportAssets ? "ImportAssets" : "ImportAssets2";
        TReader r(body);
        KeepString(r, TReferenceKind::ImportedAssets);
        break;
    }
    default: break;
    }
}

void TScanner::Sprite(std::span<const uint8_t> body, unsigned depth)
{
    if (depth >= MaxSpriteNesting) {
        scan_.Cut = true;
        return;
    }
    TReader r(body);
    const uint16_t id = r.U16();
    r.U16();  // frame count
    if (!r.Ok()) {
        broken_ = true;
        return;
    }
    const size_t outer = where_.size();
    where_ += "DefineSprite " + std::to_string(id) + "/";
    if (!Walk(r.Rest(), depth + 1)) broken_ = true;
    where_.resize(outer);
}

// ACTIONRECORDs one after the other: a code, and from 0x80 on a 16-bit length
// and that many bytes. Function and with bodies follow their record inline.
// An ActionEnd (0) does not stop the walk: code jumped to may follow it.
void TScanner::Actions(std::span<const uint8_t> code)
{
    TReader r(code);
    while (r.Left() > 0 && Collecting()) {
        const uint8_t action = r.U8();
        if (action < 0x80) continue;
        const uint16_t length = r.U16();
        if (!r.Ok()) return;
        const std::span<const uint8_t> body = r.Clipped(length);
        switch (action) {
        case ActionConstantPool: ConstantPool(body); break;
        case ActionPush: Push(body); break;
        case ActionGetUrl: GetUrl(body); break;
        default: break;
        }
    }
}

void TScanner::ConstantPool(std::span<const uint8_t> body)
{
    TReader r(body);
    for (unsigned n = r.U16(); n > 0 && r.Ok(); --n) KeepString(r, TReferenceKind::Action);
}

// Typed values: only strings (type 0) are read; constant indices (8, 9)
// name pool entries, which were read with the pool.
void TScanner::Push(std::span<const uint8_t> body)
{
    TReader r(body);
    while (r.Left() > 0 && r.Ok()) {
        switch (r.U8()) {
        case 0: KeepString(r, TReferenceKind::Action); break;
        case 2:  // null
        case 3:  // undefined
            break;
        case 4:  // register
        case 5:  // boolean
        case 8:  // constant, 8-bit index
            r.Skip(1);
            break;
        case 9: r.Skip(2); break;  // constant, 16-bit index
        case 1:                    // float
        case 7:                    // integer
            r.Skip(4);
            break;
        case 6: r.Skip(8); break;  // double
        default: return;           // no type a player knows: its size neither
        }
    }
}

void TScanner::GetUrl(std::span<const uint8_t> body)
{
    TReader r(body);
    KeepString(r, TReferenceKind::Action);  // the address
    KeepString(r, TReferenceKind::Action);  // the target
}

// DefineButton: the id, BUTTONRECORDs up to a 0 byte (flags, character,
// depth, matrix), then the actions to the tag's end.
void TScanner::Button(std::span<const uint8_t> body)
{
    TReader r(body);
    r.U16();
    for (;;) {
        const uint8_t flags = r.U8();
        if (!r.Ok()) return;
        if (flags == 0) break;
        r.Skip(4);
        if (!SkipMatrix(r)) return;
    }
    Actions(r.Rest());
}

// DefineButton2: the id, the menu flag, then the offset from itself to the
// first BUTTONCONDACTION (0: none). Each begins with the offset to the next
// (0: the last, whose actions run to the tag's end) and the conditions.
void TScanner::Button2(std::span<const uint8_t> body)
{
    if (body.size() < 5) return;
    const uint16_t offset = LE16(&body[3]);
    if (offset == 0 || offset > body.size() - 3) return;
    std::span<const uint8_t> records = body.subspan(3 + offset);
    while (records.size() >= 4 && Collecting()) {
        const uint16_t size = LE16(records.data());
        if (size == 0) return Actions(records.subspan(4));
        if (size < 4) return;
        Actions(records.subspan(4, std::min<size_t>(size, records.size()) - 4));
        if (size > records.size()) return;
        records = records.subspan(size);
    }
}

// PlaceObject2 and 3: the flags say which fields come before the clip actions.
void TScanner::PlaceObject(std::span<const uint8_t> body, bool third)
{
    TReader r(body);
    const uint8_t flags = r.U8();
    const uint8_t flags2 = third ? r.U8() : 0;
    if (!(flags & 0x80) || !r.Ok()) return;  // no clip actions
    const bool hasCharacter = flags & 0x02;
    r.Skip(2);  // depth
    if (third && ((flags2 & 0x08) || ((flags2 & 0x10) && hasCharacter))) r.String();  // class name
    if (hasCharacter) r.Skip(2);
    if ((flags & 0x04) && r.Ok()) SkipMatrix(r);
    if ((flags & 0x08) && r.Ok()) SkipColorTransformWithAlpha(r);
    if (flags & 0x10) r.Skip(2);   // ratio
    if (flags & 0x20) r.String();  // name
    if (flags & 0x40) r.Skip(2);   // clip depth
    if (third) {
        if ((flags2 & 0x01) && r.Ok()) SkipFilters(r);
        if (flags2 & 0x02) r.Skip(1);  // blend mode
        if (flags2 & 0x04) r.Skip(1);  // bitmap cache
        if (flags2 & 0x20) r.Skip(1);  // visible
        if (flags2 & 0x40) r.Skip(4);  // background colour
    }
    if (r.Ok()) ClipActions(r);
}

// CLIPACTIONS: reserved 16 bits, all the events, then CLIPACTIONRECORDs up to
// events of 0: the events, the size of the rest of the record, a key code
// when the events have a key press (SWF 6 on), the actions.
void TScanner::ClipActions(TReader& r)
{
    const bool wide = version_ >= 6;
    r.Skip(wide ? 6 : 4);
    while (r.Ok() && Collecting()) {
        const uint32_t events = wide ? r.U32() : r.U16();
        if (!r.Ok() || events == 0) return;
        const uint32_t size = r.U32();
        if (!r.Ok()) return;
        TReader record(r.Clipped(size));
        if (wide && (events & ClipEventKeyPress)) record.Skip(1);
        if (record.Ok()) Actions(record.Rest());
    }
}

// abcFile: minor and major version, then the constant pool: integers,
// unsigned integers, doubles, strings, each a count n and n - 1 entries (none
// when n is 0). Only the strings are wanted.
void TScanner::Abc(std::span<const uint8_t> abc)
{
    TReader r(abc);
    r.Skip(4);
    auto entries = [&r] {
        const uint32_t n = r.VarInt();
        return n > 0 ? n - 1 : 0;
    };
    for (int pool = 0; pool < 2; ++pool)  // integers, unsigned integers
        for (uint32_t n = entries(); n > 0 && r.Ok(); --n) r.VarInt();
    r.Skip(uint64_t{entries()} * 8);
    for (uint32_t n = entries(); n > 0 && r.Ok() && Collecting(); --n) {
        const std::string_view s = r.Bytes(r.VarInt());
        if (r.Ok()) Keep(s, TReferenceKind::Abc);
    }
}

// ---------------------------------------------------------------------------
// What looks like a reference

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z'; }

bool EqualsNoCase(std::string_view s, std::string_view lower)
{
    if (s.size() != lower.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (LowerAscii(s[i]) != lower[i]) return false;
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view lower)
{
    return s.size() >= lower.size() && EqualsNoCase(s.substr(0, lower.size()), lower);
}

// The scheme's length before its ":", as the resolver reads one; 0 for none.
size_t SchemeLength(std::string_view s)
{
    if (s.empty() || !IsLetter(s[0])) return 0;
    size_t n = 1;
    while (n < s.size() && (IsLetter(s[n]) || IsDigit(s[n]) || s[n] == '+' || s[n] == '-' || s[n] == '.')) ++n;
    return n < s.size() && s[n] == ':' ? n : 0;
}

// Kinds of file a movie loads, in lower case.
constexpr std::string_view FileKinds[] = {
    "swf",  "xml",  "txt",  "json", "jpg",  "jpeg", "png",  "gif",  "bmp",  "mp3",  "wav",  "flv",
    "f4v",  "f4p",  "f4a",  "mp4",  "m4v",  "m4a",  "mov",  "3gp",  "aac",  "css",  "htm",  "html",
    "xhtml", "shtml", "php", "asp", "aspx", "ashx", "jsp",  "cgi",  "pl",   "cfm",  "js",   "ttf",
    "otf",  "zip",  "dat",  "csv",  "ini",  "cfg",  "smil", "srt",  "lrc",  "rss",  "bin",  "amf",
};

// Played by NetStream, which resolves against the movie's own address.
constexpr std::string_view VideoKinds[] = {"flv", "f4v", "f4p", "f4a", "mp4", "m4v", "m4a", "mov", "3gp"};

// Namespace names of ActionScript 3 and XML: web addresses no one loads.
constexpr std::string_view NamespacePrefixes[] = {
    "http://adobe.com/as3/", "http://www.adobe.com/20", "http://ns.adobe.com/",
    "http://www.macromedia.com/20", "http://www.w3.org/",
};

template <size_t N>
bool IsOneOf(std::string_view lowerOrNot, const std::string_view (&list)[N])
{
    return std::any_of(std::begin(list), std::end(list), [&](std::string_view k) { return EqualsNoCase(lowerOrNot, k); });
}

// Where a or b first comes in s (npos: nowhere); find_first_of would look each byte up in the set.
size_t FindEither(std::string_view s, char a, char b)
{
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == a || s[i] == b) return i;
    return std::string_view::npos;
}

size_t FindLastSlash(std::string_view s)
{
    for (size_t i = s.size(); i-- > 0;)
        if (s[i] == '/' || s[i] == '\\') return i;
    return std::string_view::npos;
}

std::string_view PathOf(std::string_view s) { return s.substr(0, FindEither(s, '?', '#')); }

// The extension of the path's last segment: 1-5 letters and digits, one
// letter at least, after a name; empty when there is none.
std::string_view Extension(std::string_view path)
{
    const size_t separator = FindLastSlash(path);
    const std::string_view segment = separator == std::string_view::npos ? path : path.substr(separator + 1);
    const size_t dot = segment.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    const std::string_view ext = segment.substr(dot + 1);
    if (ext.empty() || ext.size() > 5) return {};
    bool letter = false;
    for (char c : ext) {
        if (!IsLetter(c) && !IsDigit(c)) return {};
        letter = letter || IsLetter(c);
    }
    return letter ? ext : std::string_view();
}

bool IsWebAddress(std::string_view scheme, std::string_view rest, std::string_view whole)
{
    if (EqualsNoCase(scheme, "file")) return !rest.empty();
    if (!EqualsNoCase(scheme, "http") && !EqualsNoCase(scheme, "https")) return false;
    if (!rest.starts_with("//") || rest.size() == 2 || rest[2] == '/' || rest[2] == '?' || rest[2] == '#') return false;
    return std::none_of(std::begin(NamespacePrefixes), std::end(NamespacePrefixes),
                        [&](std::string_view p) { return StartsWithNoCase(whole, p); });
}

void DecodeFormInto(std::string_view s, std::string& out)
{
    auto hex = [](char c) {
        return IsDigit(c) ? c - '0' : LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f' ? LowerAscii(c) - 'a' + 10 : -1;
    };
    out.clear();
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
}

}  // namespace

std::optional<TExpandedMovie> ExpandMovie(std::span<const uint8_t> file, size_t maxBytes)
{
    if (file.size() < HeaderSize || !IsSignature(file.data())) return std::nullopt;
    if (file[0] == 'Z' && file.size() < LzmaHeaderSize) return std::nullopt;
    const uint8_t version = file[3];
    const uint32_t declared = LE32(file.data() + 4);
    const size_t limit = std::max(maxBytes, HeaderSize);
    TExpandedMovie movie;
    if (file[0] == 'F') {
        const bool lengthKnown = file.size() > HeaderSize && declared >= HeaderSize + StageBytes(file[HeaderSize]);
        const size_t end = lengthKnown ? std::min<size_t>(declared, file.size()) : file.size();
        movie.Cut = end > limit;
        movie.Bytes.assign(file.begin(), file.begin() + std::min(end, limit));
    } else {
        const uint64_t declaredBody = declared > HeaderSize ? declared - HeaderSize : 0;
        const size_t bodyLimit = static_cast<size_t>(std::min<uint64_t>(declaredBody, limit - HeaderSize));
        // One byte more than maxBytes allows tells whether it cut the movie.
        const size_t room = bodyLimit + (declaredBody > bodyLimit ? 1 : 0);
        const std::optional<size_t> body =
            file[0] == 'C' ? Inflate(file.subspan(HeaderSize), room, movie.Bytes) : Unlzma(file, room, movie.Bytes);
        if (!body) return std::nullopt;
        movie.Cut = *body > bodyLimit;
        movie.Bytes.resize(HeaderSize + std::min(*body, bodyLimit));
        movie.Bytes.shrink_to_fit();
    }
    const size_t n = movie.Bytes.size();
    const uint32_t length = n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
    const uint8_t header[HeaderSize] = {'F', 'W', 'S', version, static_cast<uint8_t>(length),
                                        static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length >> 16),
                                        static_cast<uint8_t>(length >> 24)};
    std::copy(std::begin(header), std::end(header), movie.Bytes.begin());
    return movie;
}

TMovieScan ScanMovieReferences(std::span<const uint8_t> movie)
{
    const auto* m = movie.data();
    if (movie.size() <= HeaderSize || m[0] != 'F' || m[1] != 'W' || m[2] != 'S' ||
        movie.size() - HeaderSize < StageBytes(m[HeaderSize])) {
        TMovieScan none;
        none.MovieBytes = movie.size();
        return none;
    }
    TMovieScan scan = TScanner(m[3]).Scan(movie.subspan(HeaderSize + StageBytes(m[HeaderSize])));
    scan.MovieBytes = movie.size();
    return scan;
}

std::vector<std::pair<std::string, std::string>> UrlEncodedPairs(std::string_view text)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (;;) {
        const size_t amp = text.find('&');
        const std::string_view part = text.substr(0, amp);
        if (!part.empty()) {
            const size_t eq = part.find('=');
            auto& [name, value] = pairs.emplace_back();
            DecodeFormInto(part.substr(0, eq), name);
            if (eq != std::string_view::npos) DecodeFormInto(part.substr(eq + 1), value);
        }
        if (amp == std::string_view::npos) return pairs;
        text.remove_prefix(amp + 1);
    }
}

std::vector<TMovieReference> FlashVarsReferences(std::string_view flashVars, std::string_view where)
{
    if (flashVars.starts_with('?')) flashVars.remove_prefix(1);
    std::vector<TMovieReference> references;
    std::unordered_set<std::string> seen;
    for (auto& [name, value] : UrlEncodedPairs(flashVars)) {
        if (references.size() == MaxMovieReferences) break;
        if (!LooksLikeReference(value) || !seen.insert(value).second) continue;
        references.push_back({std::move(value), TReferenceKind::FlashVars, std::string(where)});
    }
    return references;
}

bool LooksLikeReference(std::string_view s) { return LooksLikeReference(s, ClassesOf(s)); }

namespace {

bool LooksLikeReference(std::string_view s, uint8_t classes)
{
    // Most strings are names: no "." and no ":" throws them out at once.
    if (s.empty() || s.size() > MaxReferenceLength || (classes & CharForbidden) || !(classes & CharMark)) return false;
    if (const size_t scheme = SchemeLength(s)) return IsWebAddress(s.substr(0, scheme), s.substr(scheme + 1), s);
    const std::string_view path = PathOf(s);
    const std::string_view ext = Extension(path);
    if (ext.empty()) return false;
    if (FindLastSlash(path) != std::string_view::npos) return true;
    for (std::string_view scope : {"_root", "_level", "_parent", "this."})
        if (StartsWithNoCase(s, scope)) return false;
    return IsOneOf(ext, FileKinds);
}

}  // namespace

std::vector<TReferenceTarget> ReferenceTargets(const TMovieReference& reference, std::string_view playerBase,
                                               std::string_view movieAddress)
{
    if (playerBase.empty()) playerBase = movieAddress;
    if (movieAddress.empty()) movieAddress = playerBase;
    std::vector<TReferenceTarget> targets;
    auto add = [&](std::string_view base, bool playerRule) {
        std::string address = CachedAddress(ResolveMovieURL(base, reference.Text));
        if (address.empty()) return;
        for (const TReferenceTarget& t : targets)
            if (t.Address == address) return;
        targets.push_back({std::move(address), playerRule});
    };
    const bool besideMovie =
        reference.Kind == TReferenceKind::ImportedAssets || IsOneOf(Extension(PathOf(reference.Text)), VideoKinds);
    const std::string_view first = besideMovie ? movieAddress : playerBase;
    const std::string_view second = besideMovie ? playerBase : movieAddress;
    add(first, true);
    // A second reading only from another base; when the first gave nothing, the player asks for nothing.
    if (!targets.empty()) add(second, false);
    return targets;
}

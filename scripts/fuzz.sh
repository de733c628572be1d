#!/bin/bash
# Fuzzes the theme-file parser, the movie check, the LZMA decoder, the
# address resolver, the embedding markup reader and the reference scan, each
# for a bounded time with libFuzzer (clang, with
# AddressSanitizer and UndefinedBehaviorSanitizer). Builds into build/fuzz/.
# Each target starts from its seeds and its kept regression files and saves a
# failing input beside them, in tests/core/<target>_regressions/, where
# core_tests replays the theme files; exits non-zero when a fuzzer finds one.
#
# Seeds: the theme parser's are files made by the theme writer, with the BMP
# images they carry (the layout reader also runs on the raw input); the movie
# check's are movies made by tests/fixtures/make_movies.py, the LZMA decoder's
# the raw streams make_movies.py --lzma writes; the resolver starts from
# nothing but its regressions; the markup reader from a few elements as the
# browser gives them, written below; the reference scan's are the movies of
# tags make_movies.py --tags writes.
#
#   scripts/fuzz.sh [SECONDS]      each target; default 30, or $VENDRAKE_FUZZ_SECONDS
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="$ROOT/build/fuzz"
SECONDS_TO_RUN="${1:-${VENDRAKE_FUZZ_SECONDS:-30}}"
REGRESSIONS="$ROOT/tests/core/theme_regressions"
CORE="$ROOT/src/core"

# build_target NAME SOURCE... [LINK FLAGS]: build/fuzz/NAME with the sanitizers.
build_target() {
    local name="$1"
    shift
    echo "[fuzz] building $name with clang"
    clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$CORE" "$@" -o "$OUT/$name"
}

# run_target NAME MALLOC_MB REGRESSIONS CORPUS...: runs it for the bounded time;
# a failure shows the log's end and sets status.
status=0
run_target() {
    local name="$1" malloc_mb="$2" regressions="$3" rc=0
    shift 3
    mkdir -p "$regressions" "$1"
    echo "[fuzz] running $name for ${SECONDS_TO_RUN}s; failing inputs go to ${regressions#$ROOT/}/"
    "$OUT/$name" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -malloc_limit_mb="$malloc_mb" \
        -rss_limit_mb=512 -timeout=5 -print_final_stats=1 -artifact_prefix="$regressions/" \
        "$@" "$regressions" >"$OUT/$name.log" 2>&1 || rc=$?
    grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$OUT/$name.log" || true
    if [ $rc -ne 0 ]; then
        tail -n 40 "$OUT/$name.log"
        echo "[fuzz] FAILED: the failing input is in $regressions (full log: $OUT/$name.log)"
        status=$rc
    else
        echo "[fuzz] clean (corpus: $(ls "$1" | wc -l) inputs)"
    fi
}

command -v clang++ >/dev/null || bash "$ROOT/scripts/setup.sh"
mkdir -p "$OUT/corpus" "$OUT/seeds" "$OUT/pictures"

build_target theme_file_fuzz "$ROOT/fuzz/ThemeFileFuzz.cpp" "$CORE/ThemeFile.cpp" "$CORE/ThemeFileWriter.cpp" \
    "$CORE/TextRules.cpp" "$CORE/BmpLayout.cpp"
clang++ -std=c++20 -O1 -I"$CORE" "$ROOT/tools/theme_writer.cpp" \
    "$CORE/ThemeFile.cpp" "$CORE/ThemeFileWriter.cpp" "$CORE/TextRules.cpp" "$CORE/UIStyle.cpp" \
    -o "$OUT/theme_writer"

# Seeds: well-formed themes of each kind of entry, small enough to mutate fast.
python3 - "$OUT/pictures" <<'PY'
import struct, sys, os
def bmp(w, h, rgb):
    row = (bytes(rgb[::-1]) * w).ljust((w * 3 + 3) & ~3, b"\0")
    pixels = row * h
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 54) + info + pixels
for name, size, rgb in [("ButtonImage", (6, 3), (255, 0, 255)), ("CheckBoxImage", (4, 2), (10, 20, 30))]:
    open(os.path.join(sys.argv[1], name + ".bmp"), "wb").write(bmp(*size, rgb))
PY
cat > "$OUT/values.txt" <<'VALUES'
colour FormBorderColor=#002CC8
int TitleBarButtonRightOffsetInt=-2
bool ButtonTransparentBool=2
string Author=Vendrake
VALUES
W="$OUT/theme_writer"
"$W" -o "$OUT/seeds/empty.theme" >/dev/null
"$W" -o "$OUT/seeds/values.theme" -v "$OUT/values.txt" >/dev/null 2>&1
"$W" -o "$OUT/seeds/pictures.theme" -p "$OUT/pictures" -v "$OUT/values.txt" >/dev/null 2>&1

cd "$OUT"
run_target theme_file_fuzz 8 "$REGRESSIONS" "$OUT/corpus" "$OUT/seeds" "$OUT/pictures"

build_target movie_check_fuzz "$ROOT/fuzz/MovieCheckFuzz.cpp" "$CORE/MovieCheck.cpp" "$CORE/LzmaDecoder.cpp" -lz
python3 "$ROOT/tests/fixtures/make_movies.py" "$OUT/movie_seeds"
run_target movie_check_fuzz 4 "$ROOT/tests/core/movie_regressions" "$OUT/movie_corpus" "$OUT/movie_seeds"

build_target lzma_decoder_fuzz "$ROOT/fuzz/LzmaDecoderFuzz.cpp" "$CORE/LzmaDecoder.cpp"
python3 "$ROOT/tests/fixtures/make_movies.py" --lzma "$OUT/lzma_seeds"
# Literal tables for a 2048-byte buffer at lc + lp = 12 come to 3 MiB.
run_target lzma_decoder_fuzz 8 "$ROOT/tests/core/lzma_regressions" "$OUT/lzma_corpus" "$OUT/lzma_seeds"

build_target movie_url_fuzz "$ROOT/fuzz/MovieUrlFuzz.cpp" "$CORE/MovieUrl.cpp" "$CORE/TextRules.cpp"
run_target movie_url_fuzz 8 "$ROOT/tests/core/url_regressions" "$OUT/url_corpus"

build_target embed_markup_fuzz "$ROOT/fuzz/EmbedMarkupFuzz.cpp" "$CORE/EmbedMarkup.cpp" "$CORE/MovieUrl.cpp" \
    "$CORE/TextRules.cpp"
mkdir -p "$OUT/markup_seeds"
cat > "$OUT/markup_seeds/object.html" <<'HTML'
<OBJECT codeBase=http://h/swflash.cab#version=6,0,0,0 height=400 width=550 classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000><PARAM NAME="Movie" VALUE="intro.swf"><PARAM NAME="FlashVars" VALUE="xml=menu.xml&amp;t=a+b%21"><!-- c --><object data=a.swf><param name=movie value=b.swf></object><EMBED src='intro.swf' base=. FlashVars="x=&#39;1&#x27;"></EMBED></OBJECT>
HTML
printf '%s' '<embed src=movies/a.swf?x=1 width=100% quality=high>' >"$OUT/markup_seeds/embed.html"
run_target embed_markup_fuzz 8 "$ROOT/tests/core/markup_regressions" "$OUT/markup_corpus" "$OUT/markup_seeds"

build_target movie_references_fuzz "$ROOT/fuzz/MovieReferencesFuzz.cpp" "$CORE/MovieReferences.cpp" \
    "$CORE/LzmaDecoder.cpp" "$CORE/MovieUrl.cpp" "$CORE/TextRules.cpp" -lz
python3 "$ROOT/tests/fixtures/make_movies.py" --tags "$OUT/reference_seeds"
# The expanded movie (1 MiB at most) and the LZMA decoder's literal tables (6 MiB at lc + lp = 12).
run_target movie_references_fuzz 16 "$ROOT/tests/core/reference_regressions" "$OUT/reference_corpus" \
    "$OUT/reference_seeds"
exit $status

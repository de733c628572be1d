#!/bin/bash
# Fuzzes the theme-file parser, the movie check and the LZMA decoder, each for a bounded time
# with libFuzzer (clang, with AddressSanitizer and UndefinedBehaviorSanitizer). Builds into build/fuzz/, seeds
# the corpus with files made by the theme writer, with the BMP images they
# carry (the layout reader also runs on the raw input) and with the kept regression
# files, and saves any failing input in tests/core/theme_regressions/, where
# core_tests replays it. Exits non-zero when the fuzzer finds a failure.
#
# The movie check starts from movies made by tests/fixtures/make_movies.py; its
# failing inputs go to tests/core/movie_regressions/. The LZMA decoder starts
# from the raw streams make_movies.py --lzma writes; its failing inputs go to
# tests/core/lzma_regressions/.
#
#   scripts/fuzz.sh [SECONDS]      each target; default 30, or $VENDRAKE_FUZZ_SECONDS
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="$ROOT/build/fuzz"
SECONDS_TO_RUN="${1:-${VENDRAKE_FUZZ_SECONDS:-30}}"
REGRESSIONS="$ROOT/tests/core/theme_regressions"
CORE="$ROOT/src/core"

command -v clang++ >/dev/null || bash "$ROOT/scripts/setup.sh"
mkdir -p "$OUT/corpus" "$OUT/seeds" "$OUT/pictures"

echo "[fuzz] building the parser's fuzz target and the theme writer with clang"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$CORE" "$ROOT/fuzz/ThemeFileFuzz.cpp" "$CORE/ThemeFile.cpp" "$CORE/ThemeFileWriter.cpp" \
    "$CORE/BmpLayout.cpp" -o "$OUT/theme_file_fuzz"
clang++ -std=c++20 -O1 -I"$CORE" "$ROOT/tools/theme_writer.cpp" \
    "$CORE/ThemeFile.cpp" "$CORE/ThemeFileWriter.cpp" "$CORE/UIStyle.cpp" -o "$OUT/theme_writer"

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

echo "[fuzz] running for ${SECONDS_TO_RUN}s; failing inputs go to tests/core/theme_regressions/"
cd "$OUT"
status=0
"$OUT/theme_file_fuzz" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -malloc_limit_mb=8 \
    -timeout=5 -print_final_stats=1 -artifact_prefix="$REGRESSIONS/" \
    "$OUT/corpus" "$OUT/seeds" "$OUT/pictures" "$REGRESSIONS" >"$OUT/fuzz.log" 2>&1 || status=$?
grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$OUT/fuzz.log" || true
if [ $status -ne 0 ]; then
    tail -n 40 "$OUT/fuzz.log"
    echo "[fuzz] FAILED: the failing input is in $REGRESSIONS (full log: $OUT/fuzz.log)"
else
    echo "[fuzz] clean (corpus: $(ls "$OUT/corpus" | wc -l) inputs)"
fi

echo "[fuzz] building the movie check's fuzz target with clang"
MOVIES="$ROOT/tests/core/movie_regressions"
mkdir -p "$OUT/movie_corpus" "$MOVIES"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$CORE" "$ROOT/fuzz/MovieCheckFuzz.cpp" "$CORE/MovieCheck.cpp" "$CORE/LzmaDecoder.cpp" -lz \
    -o "$OUT/movie_check_fuzz"
python3 "$ROOT/tests/fixtures/make_movies.py" "$OUT/movie_seeds"
echo "[fuzz] running for ${SECONDS_TO_RUN}s; failing inputs go to tests/core/movie_regressions/"
movie_status=0
"$OUT/movie_check_fuzz" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -malloc_limit_mb=4 \
    -rss_limit_mb=512 -timeout=5 -print_final_stats=1 -artifact_prefix="$MOVIES/" \
    "$OUT/movie_corpus" "$OUT/movie_seeds" "$MOVIES" >"$OUT/movie_fuzz.log" 2>&1 || movie_status=$?
grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$OUT/movie_fuzz.log" || true
if [ $movie_status -ne 0 ]; then
    tail -n 40 "$OUT/movie_fuzz.log"
    echo "[fuzz] FAILED: the failing input is in $MOVIES (full log: $OUT/movie_fuzz.log)"
    status=$movie_status
else
    echo "[fuzz] clean (corpus: $(ls "$OUT/movie_corpus" | wc -l) inputs)"
fi

echo "[fuzz] building the LZMA decoder's fuzz target with clang"
STREAMS="$ROOT/tests/core/lzma_regressions"
mkdir -p "$OUT/lzma_corpus" "$STREAMS"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$CORE" "$ROOT/fuzz/LzmaDecoderFuzz.cpp" "$CORE/LzmaDecoder.cpp" -o "$OUT/lzma_decoder_fuzz"
python3 "$ROOT/tests/fixtures/make_movies.py" --lzma "$OUT/lzma_seeds"
echo "[fuzz] running for ${SECONDS_TO_RUN}s; failing inputs go to tests/core/lzma_regressions/"
lzma_status=0
# Literal tables for a 2048-byte buffer at lc + lp = 12 come to 3 MiB.
"$OUT/lzma_decoder_fuzz" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -malloc_limit_mb=8 \
    -rss_limit_mb=512 -timeout=5 -print_final_stats=1 -artifact_prefix="$STREAMS/" \
    "$OUT/lzma_corpus" "$OUT/lzma_seeds" "$STREAMS" >"$OUT/lzma_fuzz.log" 2>&1 || lzma_status=$?
grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$OUT/lzma_fuzz.log" || true
if [ $lzma_status -ne 0 ]; then
    tail -n 40 "$OUT/lzma_fuzz.log"
    echo "[fuzz] FAILED: the failing input is in $STREAMS (full log: $OUT/lzma_fuzz.log)"
    status=$lzma_status
else
    echo "[fuzz] clean (corpus: $(ls "$OUT/lzma_corpus" | wc -l) inputs)"
fi
exit $status

#pragma once
// Judges a saved file as a movie, read from disk in chunks: the one check the
// save routes apply to whatever they kept.
#include "MovieCheck.h"

#include <string>

// A file that cannot be opened is judged as empty: no movie.
TMovieInfo CheckMovieFile(const std::wstring& name);

// Whether the file begins as a movie does (its signature and fixed header),
// without reading further: enough to tell a cached movie from an error page.
bool FileBeginsAsMovie(const std::wstring& name);

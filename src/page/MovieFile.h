#pragma once
// Whether a file on disk is a Flash movie: the one judgement the whole-page
// grab makes of a saved file and of a cached one whose headers do not tell.
#include <string>

bool IsMovieFile(const std::string& path);

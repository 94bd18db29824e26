#pragma once

#include <filesystem>

// Earlier versions of the soundboard kept its user defaults and its documents folder in
// <XDG data folder>/quillbeck; they now live in the folders its identity names. Moves what an
// earlier version kept at `from` to `to`, so that a user's settings and statistics survive the
// update. Nothing is moved over what already stands at `to`, and a move that fails leaves `from`
// as it was. Answers whether it moved anything.
bool quillbeckMoveEarlierFile(const std::filesystem::path& from, const std::filesystem::path& to);

#pragma once

// JsonDocuments: the JSON texts that the JSON benchmarks read and write, generated the same
// way on every run so that every library sees the very same bytes.

#include <string>

class JsonDocuments {
 public:
  // An ad request's parameter dictionary, about 2 KB: short texts, small integers, one nested
  // dictionary, the shape the library hands to page scripts.
  static std::string adRequest();
  // About 1 MB of records: integers, decimals, texts, booleans, nulls, nested arrays and objects.
  static std::string mixed();
  // About 1 MB of texts with escapes (quotes, backslashes, line breaks, \u escapes and surrogate
  // pairs) and raw non-ASCII UTF-8 in several scripts.
  static std::string stringHeavy();
  // One object of 8192 members with short distinct keys: chosen so that their standard-library
  // hashes agree in the low twelve bits (what an attacker would send to a table indexed by that
  // hash), or drawn at random.
  static std::string manyKeys(bool colliding);
  // About 2 MB of coordinates: an array of tracks, each an array of short arrays (two or three
  // decimals of 15 to 17 significant digits, as a double prints when it must round-trip).
  static std::string coordinates();
  // About 2 MB shaped like a catalogue: one object of a few thousand small objects that share
  // their keys, mostly integers, short texts and nulls.
  static std::string catalogue();
  // About 600 KB of posts: an object with an array of posts, each with a nested author object,
  // lists of parts (tags, mentions, links) and texts largely in non-Latin scripts.
  static std::string posts();
  // About 1.5 MB of events: a few thousand event objects under their integer ids as keys, with
  // arrays of integer ids and many nulls, and lookup tables of names.
  static std::string events();
  // About 1.5 MB of polygons: a list of rings of tens of thousands of [longitude, latitude]
  // decimal pairs in total, of 6 to 14 significant digits.
  static std::string polygons();
};

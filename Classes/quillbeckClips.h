#pragma once

#include <array>
#include <string_view>

// One row of the soundboard: the action a button sends and the clip resource it plays.
struct quillbeckClip {
  std::string_view action;    // "quorrendal:"
  std::string_view resource;  // "quor-ren-dal", of type kClipType
};

inline constexpr std::string_view kClipType = "m4a";
inline constexpr std::string_view kStopAction = "stop:";

// The fourteen clips, in the order of their buttons.
inline constexpr std::array<quillbeckClip, 14> kClips{{
    {"quorrendal:", "quor-ren-dal"},
    {"plimsk:", "plimsk"},
    {"vadro:", "vadro"},
    {"thessa:", "thessa"},
    {"gorvin:", "gorvin"},
    {"draskel:", "draskel"},
    {"fennock:", "fennock"},
    {"trelm:", "trelm"},
    {"kavrith:", "kavrith"},
    {"lunderpash:", "lunder-pash"},
    {"brisovant:", "briso-vant"},
    {"hethquorrim:", "heth-quorrim"},
    {"nalvestor:", "nalve-stor"},
    {"pruvane:", "pruvane"},
}};

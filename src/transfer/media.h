// Pop-up player pages for media kept on the site: streaming play lists (ASX
// for Windows Media, SMIL for RealPlayer), video, music, Flash and picture
// pages. The plug-in OBJECT markup is written as it always was; for formats
// today's browsers play themselves the pages also carry an HTML5
// <video>/<audio> inside the object, which browsers without the plug-in show.
// Addresses and titles are escaped for where they land (XML in play lists).
#pragma once

#include "core/object.h"

namespace brevane {

void CommShowPlayList(Variant& Response, Text p_RunSystem, Text p_UrlList);
Text CommShowPlayMovie(Text p_Url, Text p_Title, Text p_RunSystem);
Text CommShowPlayMusic(Text p_Url, Text p_MusicInfo);
Text CommShowPlayFlash(Text p_Url, Text p_Title, Text p_PlayType);
Text CommShowPlayImage(Text p_Url, Text p_Title);

// "rtsp", "mms" or empty: the streaming family a video address plays in.
Text movie_run_system(TextView url, TextView run_system);
// The HTML5 element for an address the browser can play itself (by its
// extension), sized to the player; empty for anything else.
Text html5_media(TextView url, int width, int height);

}  // namespace brevane

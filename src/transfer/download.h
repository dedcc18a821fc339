// Download and view: hands a file of the site to the browser as an
// attachment, or decides from an action word and the extension whether to
// download it, open it in the site's viewer pop-up or a new window, or
// redirect to it. Both write to the response and end it.
//
// The file goes out in pieces, never whole in memory: a host whose Response
// can send a file itself (the native host's TransmitFile, which also answers
// byte ranges) gets the path; any other host gets BinaryWrite and Flush per
// piece.
#pragma once

#include <string_view>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

// Script and server files a site keeps beside its pages: never downloadable,
// however the name is written.
inline constexpr std::u16string_view kRefusedDownloadExtensions[] = {
    u"asp", u"asa", u"aspx", u"asax", u"php",
};
inline constexpr std::u16string_view kSiteFileExtensions[] = {
    u"mdb",  u"config", u"inc",   u"cer",  u"cdx",  u"ascx", u"ashx",
    u"asmx", u"shtml",  u"phtml", u"php3", u"php4", u"php5", u"jsp",
};

// The extension as the download sees it: behind the last full stop, lower
// case; a name without a full stop is its own extension.
Text download_extension(TextView name);
// The name Windows opens for `name`: an NTFS stream suffix (":..." such as
// "::$DATA") and trailing dots and spaces removed.
Text effective_file_name(TextView name);
// True when a file of this name (as written, as Windows opens it) may not be
// downloaded.
bool download_refused(TextView name);
// The content type the download sends for an extension (lower case).
std::u16string_view download_content_type(TextView extension);
// "attachment;  FileName=<name>", and for a name outside ASCII also
// "; filename*=UTF-8''<percent-encoded UTF-8>" so browsers keep its real name.
Text download_disposition(TextView name);
// The script line CommFileView writes for "View", or empty when the file is
// only redirected to.
Text view_script(TextView extension, TextView file, TextView title);

// Bytes per piece when the response is written piece by piece.
inline constexpr size_t kDownloadPiece = 256 * 1024;

void CommFileDownload(Variant& Response, Variant& Server, Text p_FileFullName, bool p_CloseParent);
void CommFileView(Variant& Server, Variant& Response, Variant& Request, Text p_CurrentFile, Text p_Act,
                  Text p_FileTitle);

}  // namespace brevane

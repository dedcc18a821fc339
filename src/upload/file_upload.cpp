#include "upload/file_upload.h"

#include "core/vbrt.h"
#include "frame/host.h"
#include "upload/upload_file.h"
#include "upload/upload_support.h"

namespace brevane {

namespace {

// Megabytes to bytes in 32 bits, as the limit properties hold them.
int32_t megabytes(int32_t mb) {
  int64_t bytes = static_cast<int64_t>(mb) * 1024 * 1024;
  if (bytes > INT32_MAX || bytes < INT32_MIN) throw ScriptError(kOverflow);
  return static_cast<int32_t>(bytes);
}

}  // namespace

Text CommFileUpload(Variant& Server, Variant& Request, Text p_UploadFileExt, int32_t p_UploadFileMaxSize,
                    int32_t p_UploadFileSingleSize, Text p_UploadFilePath, int16_t p_UploadFileRenameOption,
                    bool p_UploadFileOverWrite, Text p_UploadFileInfoList) {
  auto parser = std::make_shared<UploadFile>();
  parser->set_Exe(Variant(p_UploadFileExt));
  parser->set_MaxSize(Variant(megabytes(p_UploadFileMaxSize)));
  parser->set_SingleSize(Variant(megabytes(p_UploadFileSingleSize)));
  parser->GetData(Request);

  Text files;
  if (parser->error_id() > 0) {
    files = u"Error|" + vb::Replace(parser->get_Description().to_text(), u"|", u",") + u"$";
  } else {
    Text folder = ServerRef(Server).map_path(p_UploadFilePath);
    if (!upload::folder_exists(folder)) upload::create_folders(folder);
    // Keys first: saving must not disturb the walk.
    std::vector<Variant> keys;
    for (auto& entry : parser->file_items()->entries()) keys.push_back(entry.first);
    for (const Variant& key : keys) {
      Variant item = parser->Files(key);
      Variant saved =
          call(item, u"SavetoFile",
               {Server, Variant(p_UploadFilePath), Variant(p_UploadFileRenameOption), Variant(p_UploadFileOverWrite)});
      if (saved.to_bool())
        files += u"Success|" + get(item, u"LocalName").to_text() + u"|" + get(item, u"FileName").to_text() + u"|" +
                 get(item, u"Size").to_text() + u"$";
      else
        files += u"Error|" + get(item, u"Exception").to_text() + u"$";
    }
  }

  Text fields;
  Text list = vb::Trim(p_UploadFileInfoList);
  if (!list.empty()) {
    for (const Text& name : vb::Split(list, u"|")) fields += u"|" + parser->Forms(Variant(name)).to_text();
    fields.erase(0, 1);
  }
  return files + u"#" + fields;
}

}  // namespace brevane

#include "platform/classes.h"

#include "component/component.h"
#include "component/facade.h"
#include "hash/md5.h"
#include "upload/upload_file.h"
#include "upload/upload_image.h"

namespace brevane {

void register_component_classes(ClassRegistry& r) {
  r.add(u"Brevane.BrevaneCls", &BrevaneCls::create);
  r.add(u"Brevane.Zelto_Class_Md5", &Md5Engine::create);
  // Uploads.
  r.add(u"Brevane.Zelto_Class_UploadFile", &UploadFile::create);
  r.add(u"Brevane.Zelto_Class_UploadFileEx", &UploadFileEx::create);
  r.add(u"Brevane.Zelto_Class_UploadFileEmpty", &UploadFileEmpty::create);
  r.add(u"Brevane.Zelto_UploadImage", &UploadImage::create);
  r.add(u"Brevane.Zelto_UpLoadImageData", &UpLoadImageData::create);
  register_platform_classes(r);
}

void use_component_classes() { set_class_list(&register_component_classes); }

}  // namespace brevane

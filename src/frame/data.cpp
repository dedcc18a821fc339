#include "frame/data.h"

#include "core/vbrt.h"
#include "frame/host.h"

namespace brevane {

Text CommGetDataFullName(Variant& Server) {
  Text first = vb::Split(kDataFileList, u"|").front();
  return ServerRef(Server).map_path(Text(kDataFolder) + u"\\" + first);
}

Text CommGetConnString(Variant& Server) {
  return u"DBQ=" + CommGetDataFullName(Server) + u";DefaultDir=;DRIVER={Microsoft Access Driver (*.Mdb)};";
}

void CommDataInit(Variant&, Variant&, Variant&, Variant&) {}

void CommSetConn(Variant&, Variant&, Variant&) {}

}  // namespace brevane

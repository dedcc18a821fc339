#include "frame/swapimage.h"

namespace brevane {

namespace {

// Pages call these by name and store state under these property names, so
// both are fixed; the bodies are ours.
constexpr char16_t kSwapImageScript[] =
    u"<Script Language=\"JavaScript\">"
    // Put back every image the last swap changed; the list ends at the first
    // entry without a saved source.
    u"function ZeltoSwapImgRestore(){"
    u"var a=document.mm_sr,i,x;"
    u"for(i=0;a&&i<a.length;i++){x=a[i];if(!x||!x.oSrc)break;x.src=x.oSrc;}"
    u"}"
    // Warm the cache; names starting with "#" are anchors, not images.
    u"function ZeltoPreloadImages(){"
    u"var d=document,a=arguments,i,img;"
    u"if(!d.images)return;"
    u"if(!d.mm_p)d.mm_p=new Array();"
    u"for(i=0;i<a.length;i++){if(String(a[i]).indexOf(\"#\")==0)continue;"
    u"img=new Image();img.src=a[i];d.mm_p[d.mm_p.length]=img;}"
    u"}"
    // name?frame looks in that frame of the parent window; then the
    // document's own names, all[], each form, each layer's document, and
    // getElementById last.
    u"function ZeltoFindObject(n, d){"
    u"var x=null,i,q;"
    u"if(!d)d=document;"
    u"q=n.indexOf(\"?\");"
    u"if(q>0&&parent.frames.length){d=parent.frames[n.substring(q+1)].document;n=n.substring(0,q);}"
    u"x=d[n];"
    u"if(!x&&d.all)x=d.all[n];"
    u"for(i=0;!x&&d.forms&&i<d.forms.length;i++)x=d.forms[i][n];"
    u"for(i=0;!x&&d.layers&&i<d.layers.length;i++)x=ZeltoFindObject(n,d.layers[i].document);"
    u"if(!x&&document.getElementById)x=document.getElementById(n);"
    u"return x;"
    u"}"
    // Arguments in threes: name, (unused), new source. Remember each image
    // and its first source so ZeltoSwapImgRestore can undo the swap.
    u"function ZeltoSwapImage(){"
    u"var a=arguments,i,x,list=new Array();"
    u"document.mm_sr=list;"
    u"for(i=0;i+2<a.length;i+=3){x=ZeltoFindObject(a[i]);"
    u"if(x){list[list.length]=x;if(!x.oSrc)x.oSrc=x.src;x.src=a[i+2];}}"
    u"}"
    u"</Script>";

}  // namespace

Text CommScriptSwapImage() { return kSwapImageScript; }

}  // namespace brevane

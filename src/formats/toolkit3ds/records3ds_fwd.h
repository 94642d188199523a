// The toolkit's records by name only, for headers that hand them around
// without needing their layout.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_RECORDS3DS_FWD_H
#define QELSDK_FORMATS_TOOLKIT3DS_RECORDS3DS_FWD_H

namespace qelsdk_600 {

struct camera3ds;
struct cameramotion3ds;
struct database3ds;
struct fcolor3ds;
struct filecontext3ds;
struct keyheader3ds;
struct kfrotkey3ds;
struct light3ds;
struct material3ds;
struct mesh3ds;
struct meshset3ds;
struct objectmotion3ds;
struct omnimotion3ds;
struct point3ds;
struct spotmotion3ds;

}  // namespace qelsdk_600

#endif

#include "engine/model/KM_AttachmentPt.h"

KM_AttachmentPt::KM_AttachmentPt()
    : KM_UserDataNode(kTypeId, "Error Reading KM_AttachmentPt Data", "Error Writing KM_AttachmentPt Data")
{
}

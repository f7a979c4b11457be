#include "engine/model/KM_DataTag.h"

KM_DataTag::KM_DataTag()
    : KM_UserDataNode(kTypeId, "Error Reading KM_DataTag Data", "Error Writing KM_DataTag Data")
{
}

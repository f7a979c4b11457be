#pragma once

#include "engine/model/KM_NodeTM.h"

// A named node with a transform and a user text whose meaning belongs to its consumer; the body of
// attachment points and data tags.
class KM_UserDataNode : public KM_Object
{
public:
    KM_UserDataNode(const KM_UserDataNode& other) = default;
    bool Write(KM_Stream* stream) override;
    // The transform's own result does not decide the object's.
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    KM_NodeTM m_NodeTM;
    std::string m_UserData;

protected:
    KM_UserDataNode(uint32_t typeId, const char* readError, const char* writeError);

private:
    const char* m_ReadError;
    const char* m_WriteError;
};

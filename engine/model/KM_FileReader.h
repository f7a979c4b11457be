#pragma once

#include <memory>

class KM_Animation;
class KM_MaterialList;
class KM_ObjectList;
class KM_Scene;
class KM_Skeleton;
class KM_Stream;

// The top-level walk shared by model, skeleton and animation files, and the readers of the last two.
class KM_FileReader
{
public:
    struct TopLevel
    {
        std::unique_ptr<KM_Scene> scene;
        std::unique_ptr<KM_MaterialList> materials;
        std::unique_ptr<KM_ObjectList> objects;
        TopLevel();
        ~TopLevel();
    };

    // Objects the caller holds for a walk to read into, each marked once read. A list that fails to read
    // is left empty; an object that is not read stays as it was.
    struct Slots
    {
        KM_Scene* scene = nullptr;
        KM_MaterialList* materials = nullptr;
        KM_ObjectList* objects = nullptr;
        bool sceneRead = false;
        bool materialsRead = false;
        bool objectsRead = false;
    };

    // Reads top-level objects until the end of the file: at most one scene, one material list (when
    // accepted) and one object list. Other ids are reported with the given text and reading goes on
    // with the next four bytes. False on a second or failed object, a part of a type id, or when the
    // header was refused.
    static bool ReadTopLevel(KM_Stream* stream, bool acceptMaterials, const char* erroneousText,
                             TopLevel& out);
    // The same walk into objects the caller holds: every slot must be given, materials only when accepted.
    static bool ReadTopLevel(KM_Stream* stream, bool acceptMaterials, const char* erroneousText, Slots& out);

    // Copies of the first skeleton or animation of a file's object list; null when the file cannot
    // be read or holds none.
    static std::unique_ptr<KM_Skeleton> ReadSkeleton(const char* path);
    static std::unique_ptr<KM_Animation> ReadAnimation(const char* path);
    // The same from a stream already open at its start.
    static std::unique_ptr<KM_Skeleton> ReadSkeleton(KM_Stream& stream);
    static std::unique_ptr<KM_Animation> ReadAnimation(KM_Stream& stream);

    static constexpr const char* kErroneousModel = "\n*********ERRONEOUS DATA IN MODEL FILE********\n";
    static constexpr const char* kErroneousAnimation = "\n*********ERRONEOUS DATA IN ANIM FILE********\n";
};

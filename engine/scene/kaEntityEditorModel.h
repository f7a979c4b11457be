#pragma once

#include "engine/scene/kaEntityModel.h"

#include <string>

// Stands in, in the map editor, for an entity whose class this program does not know: it shows the
// model, offers its rows and writes the entity back under the class it stands for, so that the game
// loads it as that class.
class kaEntityEditorModel : public kaEntityModel
{
public:
    static constexpr const char* kClassNameLabel = "Class Name:";
    static constexpr const char* kModelLabel = "Model(KMF or XML):";
    static constexpr const char* kModelFolder = "Resources/Models/";
    // Added after the model file's folder while it loads, for the files it names.
    static constexpr const char* kMapsFolder = "Maps";

    kaEntityEditorModel() = default;
    explicit kaEntityEditorModel(const std::string& className);
    ~kaEntityEditorModel() override;

    static const kaClassInfo& StaticClassInfo();
    // The class it stands for; its own registered name while that is empty.
    const std::string& GetClassName() const override;
    uint32_t GetClassId() const override;
    const kaClassInfo& GetClassInfo() const override;
    void SetClassName(const std::string& name) { m_ClassName = name; }
    // The entity's block under its real class: the base keys, the model file and, with a model, the
    // snapping, the position (no "y" when snapped) and the rotation.
    void WriteXml(TiXmlElement* element) const override;
    // "Class Name:", "Model(KMF or XML):", then the base rows.
    void BuildPropertyList() override;
    // A changed model row reloads the model in place.
    bool SetPropertyList(const kaPropertyList& list) override;

    // Hands the held instance back to the model manager and loads the file, a descriptor for a name
    // containing ".xml"; files the model names are also looked for in "Maps" beside it meanwhile.
    void LoadModel(const std::string& fileName);
    void ReloadModel(const std::string& fileName, const platform::Vector3& position,
                     const platform::Quaternion& rotation);

private:
    std::string m_ClassName;
};

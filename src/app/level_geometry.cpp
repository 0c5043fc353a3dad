// Collision lists of the cooked models, from a drawn model or straight from the files.
#include "app/level_geometry.h"

namespace app {

MeshLists meshListsOf(const render::Model& model, const std::string& path) {
    return MeshLists{path, model.positionList(), model.indexList()};
}

LevelGeometry loadLevelGeometry(const std::string& assetDir) {
    auto lists = [&](const char* relative) {
        const std::string path = assetDir + relative;
        return meshListsOf(render::Model(path, render::ModelUpload::CpuOnly), path);
    };
    return LevelGeometry{lists(kLevelModel), lists(kBrickModel), lists(kPlatformModel)};
}

}  // namespace app

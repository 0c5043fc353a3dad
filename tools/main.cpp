// glimmerdeep-assets: writes every model, texture, sky face, sound and icon of the game below a
// folder.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "icon.h"
#include "level.h"
#include "preview.h"
#include "props.h"
#include "sky.h"
#include "sounds.h"
#include "statue.h"

namespace {

bool makeFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) std::printf("ERROR: cannot create folder %s\n", path.c_str());
    return !error;
}

bool writePreviews(const std::string& folder) {
    using assetgen::writePreview;
    const glm::vec3 y(0, 1, 0), z(0, 0, 1);
    // The statue is seen from the front (-y, its facing) and from the side, z up.
    return makeFolder(folder) &&
           writePreview(assetgen::buildStatue(), {0, -1, 0}, z, 400,
                        folder + "/statue_front.png") &&
           writePreview(assetgen::buildStatue(), {1, 0, 0}, z, 400, folder + "/statue_side.png") &&
           writePreview(assetgen::buildGem(), {0.3f, 0.5f, 1}, y, 200, folder + "/gem.png") &&
           writePreview(assetgen::buildLantern(), {0.5f, 0.3f, 1}, y, 200, folder + "/lamp.png") &&
           writePreview(assetgen::buildSpikes(), {0.5f, 0.6f, 1}, y, 200, folder + "/spikes.png") &&
           writePreview(assetgen::buildSpeechBubble(), {0.2f, 0.1f, 1}, y, 300,
                        folder + "/speech.png") &&
           writePreview(assetgen::buildLevelMesh(), {0.35f, 1.0f, 0.6f}, y, 800,
                        folder + "/level.png") &&
           // What the player sees at the start, and from the gate and the gallery.
           assetgen::writeEyeView(assetgen::buildLevelMesh(), assetgen::makeLevelAtlas(),
                                  {0, 4.2f, 50}, {0, 4.2f, 0}, 45.0f, 640, 360,
                                  folder + "/eye_start.png") &&
           assetgen::writeEyeView(assetgen::buildLevelMesh(), assetgen::makeLevelAtlas(),
                                  {-14.5f, 4.2f, 13}, {5, 2, -10}, 45.0f, 640, 360,
                                  folder + "/eye_gate.png") &&
           assetgen::writeEyeView(assetgen::buildLevelMesh(), assetgen::makeLevelAtlas(),
                                  {15, 9.2f, -24}, {-10, 3, 8}, 45.0f, 640, 360,
                                  folder + "/eye_gallery.png");
}

int usage() {
    std::printf("usage: glimmerdeep-assets <out-dir> [--levelmap <png> | --preview <dir>]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) return usage();
    const std::string root = argv[1];
    // Debug outputs, never committed: a top-down map of the level and shaded model views.
    std::string levelMap;
    std::string previews;
    if (argc == 4) {
        const std::string flag = argv[2];
        if (flag == "--levelmap") {
            levelMap = argv[3];
        } else if (flag == "--preview") {
            previews = argv[3];
        } else {
            return usage();
        }
    }

    const std::string objects = root + "/objects";
    struct Step {
        const char* folder;
        bool (*write)(const std::string&);
    };
    const Step steps[] = {
        {"level", assetgen::writeLevel},         {"plattform", assetgen::writePlatform},
        {"brick", assetgen::writeBrick},         {"lamp", assetgen::writeLantern},
        {"spikes", assetgen::writeSpikes},       {"diamond", assetgen::writeGem},
        {"statue", assetgen::writeStatue},       {"waves", assetgen::writeWaves},
        {"speech", assetgen::writeSpeechBubble},
    };
    for (const Step& step : steps) {
        const std::string folder = objects + "/" + step.folder;
        if (!makeFolder(folder) || !step.write(folder)) {
            std::printf("ERROR: could not write the assets in %s\n", folder.c_str());
            return 1;
        }
    }
    const std::string sky = root + "/textures/skybox";
    // 512 texels per face: about 5.7 texels per degree, finer than the screen at 45° view.
    if (!makeFolder(sky) || !assetgen::writeSky(sky, 512)) {
        std::printf("ERROR: could not write the sky faces in %s\n", sky.c_str());
        return 1;
    }
    const std::string sounds = root + "/sounds";
    if (!makeFolder(sounds) || !assetgen::writeSounds(sounds)) {
        std::printf("ERROR: could not write the sounds in %s\n", sounds.c_str());
        return 1;
    }
    // The menu icon at every size, laid out as the hicolor theme wants it: the Debian package
    // installs the folder as it is.
    for (const int size : assetgen::kIconSizes) {
        const std::string icons =
            root + "/icons/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        if (!makeFolder(icons) || !assetgen::writeIcon(icons + "/glimmerdeep.png", size)) {
            std::printf("ERROR: could not write the icon in %s\n", icons.c_str());
            return 1;
        }
    }
    if (!levelMap.empty() && !assetgen::writeLevelMap(assetgen::buildLevelMesh(), levelMap)) {
        std::printf("ERROR: could not write %s\n", levelMap.c_str());
        return 1;
    }
    if (!previews.empty() && !writePreviews(previews)) {
        std::printf("ERROR: could not write the previews in %s\n", previews.c_str());
        return 1;
    }
    return 0;
}

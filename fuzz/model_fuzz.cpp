// libFuzzer target for the model loader's input path: the bytes become an OBJ file (and, after a
// separator line, its material file), loaded CPU-only; the collision lists must stay consistent.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "render/model.h"

namespace {

// Everything after this line goes to fuzz.mtl, which the OBJ part may name with "mtllib fuzz.mtl".
constexpr std::string_view kMaterialSeparator = "\n# --- fuzz.mtl ---\n";

// One scratch folder per fuzzing process, removed at exit.
const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "glimmer-model-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratch(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return dir;
}

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "model fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find(kMaterialSeparator);
    const std::filesystem::path obj = scratch() / "fuzz.obj", mtl = scratch() / "fuzz.mtl";
    std::ofstream(obj, std::ios::binary) << input.substr(0, split);
    std::error_code ignored;
    std::filesystem::remove(mtl, ignored);
    if (split != std::string_view::npos) {
        std::ofstream(mtl, std::ios::binary) << input.substr(split + kMaterialSeparator.size());
    }

    const render::Model model(obj.string(), render::ModelUpload::CpuOnly);
    const auto positions = model.positionList();
    const auto indices = model.indexList();
    check(positions.size() == model.vertices.size(), "positionList() size differs from vertices");
    check(indices.size() == model.indices.size(), "indexList() size differs from indices");
    check(indices.size() % 3 == 0, "indices are not whole triangles");
    for (const std::uint32_t index : indices)
        check(index < positions.size(), "an index points past the last vertex");
    for (const auto& p : positions) {
        check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z),
              "a position is not finite");
    }
    // Every accepted mesh brings at least one triangle; a CPU-only model uploads no mesh.
    check(model.loaded() == !indices.empty(), "loaded() disagrees with the triangles");
    check(model.loaded() == (model.meshCount() > 0), "loaded() disagrees with meshCount()");
    check(model.meshes.empty(), "a CPU-only model made GL meshes");
    return 0;
}

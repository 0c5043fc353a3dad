// libFuzzer target for the model loader's input path: the bytes become an OBJ file (and, after a
// separator line, its material file), loaded CPU-only; the collision lists must stay consistent.
#include <unistd.h>

#include <cmath>
#include <cstddef>
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

// One scratch folder per fuzzing process, made on the first input and removed at exit.
std::filesystem::path scratch;

void removeScratch() {
    std::error_code ignored;
    if (!scratch.empty()) std::filesystem::remove_all(scratch, ignored);
}

bool makeScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "glimmer-model-fuzz-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    scratch = pattern;
    std::atexit(removeScratch);
    return true;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "model fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (scratch.empty() && !makeScratch()) fail("no scratch folder");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find(kMaterialSeparator);
    const std::filesystem::path objPath = scratch / "fuzz.obj";
    const std::filesystem::path mtlPath = scratch / "fuzz.mtl";
    writeFile(objPath, input.substr(0, split));
    if (split == std::string_view::npos) {
        std::error_code ignored;
        std::filesystem::remove(mtlPath, ignored);
    } else {
        writeFile(mtlPath, input.substr(split + kMaterialSeparator.size()));
    }

    const render::Model model(objPath.string(), render::ModelUpload::CpuOnly);
    const std::size_t vertexCount = model.vertices.size();
    const auto positions = model.positionList();
    const auto indices = model.indexList();
    if (positions.size() != vertexCount) fail("positionList() size differs from vertices");
    if (indices.size() != model.indices.size()) fail("indexList() size differs from indices");
    if (model.indices.size() % 3 != 0) fail("indices are not whole triangles");
    for (const std::uint32_t index : indices) {
        if (index >= vertexCount) fail("an index points past the last vertex");
    }
    for (const auto& p : positions) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            fail("a position is not finite");
        }
    }
    // Every accepted mesh brings at least one triangle; a CPU-only model uploads no mesh.
    if (model.loaded() != !model.indices.empty()) fail("loaded() disagrees with the triangles");
    if (model.loaded() != (model.meshCount() > 0)) fail("loaded() disagrees with meshCount()");
    if (!model.meshes.empty()) fail("a CPU-only model made GL meshes");
    return 0;
}

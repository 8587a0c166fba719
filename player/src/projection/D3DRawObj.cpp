#include "player/D3DRawObj.h"

#include "CFrameProgram.h"

namespace player {

D3DRawObj::D3DRawObj() : program_(std::make_unique<CFrameProgram>()) {}

D3DRawObj::~D3DRawObj() = default;

void D3DRawObj::ReleaseResources() {
    std::lock_guard guard(lock_);
    buffer_.Release();
    program_->Release();
}

bool D3DRawObj::EnsureProgram() {
    return program_->IsCreated() || program_->Create();
}

} // namespace player

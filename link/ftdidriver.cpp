#include "ftdidriver.h"

namespace {
FtdiDriverFactory &factory()
{
    static FtdiDriverFactory instance;
    return instance;
}
} // namespace

void setFtdiDriverFactory(FtdiDriverFactory newFactory)
{
    factory() = std::move(newFactory);
}

std::unique_ptr<FtdiDriver> createFtdiDriver()
{
    return factory() ? factory()() : nullptr;
}

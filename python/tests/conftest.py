# The build tree the tests run from: BRANT_BUILD_DIR (ctest sets it), else
# the one whose python/ directory the package was imported from.
import os
import pathlib

import pytest

import brantfunc


@pytest.fixture(scope="session")
def build():
    given = os.environ.get("BRANT_BUILD_DIR")
    return pathlib.Path(given) if given else pathlib.Path(brantfunc.__file__).parents[2]


@pytest.fixture(scope="session")
def sample(build):
    return str(build / "samples/sample/SAMPLE")


@pytest.fixture(scope="session")
def brant(build):
    return str(build / "tools/brant/brant")


@pytest.fixture(scope="session")
def guide(build):
    return str(build / "standins/servguide/lib/libbrantguide.so")


@pytest.fixture(scope="session")
def tariff(sample, guide):
    # A process may open one tariff with a service guide: this is it.
    with brantfunc.Tariff(sample, service_guide=guide) as opened:
        yield opened

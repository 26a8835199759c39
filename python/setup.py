"""Builds the orvane extension from the sources of the tree it lies in.

    python3 -m venv --system-site-packages venv
    venv/bin/pip install --no-build-isolation ./python
"""
import glob
import os
import shutil
import subprocess

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup
from setuptools.command.build_py import build_py

# The core's sources compile on every core (ORVANE_BUILD_JOBS to choose).
ParallelCompile("ORVANE_BUILD_JOBS").install()

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
layers = ["base", "model", "readers", "entities", "description", "alignment", "reports",
          "evaluation", "corpus", "library"]
sources = [os.path.relpath(os.path.join(here, "src", "module.cc"), here)]
for layer in layers:
    sources += sorted(os.path.relpath(p, here) for p in glob.glob(os.path.join(root, "src", layer, "*.cc")))


def pkg_config(flag):
    out = subprocess.run(["pkg-config", flag, "lua5.2"], check=True, capture_output=True, text=True)
    return out.stdout.split()


lua_cflags = pkg_config("--cflags")
lua_libs = pkg_config("--libs")


class build_py_with_presets(build_py):
    """Ships the presets inside the package, where the module looks for them."""

    def run(self):
        super().run()
        target = os.path.join(self.build_lib, "orvane", "presets")
        os.makedirs(target, exist_ok=True)
        for preset in glob.glob(os.path.join(root, "presets", "*.lua")):
            shutil.copy(preset, target)


extension = Pybind11Extension(
    "orvane._orvane",
    sources,
    include_dirs=[os.path.join(root, "src"), os.path.join(root, "include")],
    define_macros=[
        # The package passes its own presets folder; these are the library's
        # defaults for other callers.
        ("ORVANE_INSTALLED_PRESETS", '"/usr/share/orvane/presets"'),
        ("ORVANE_SOURCE_PRESETS", '"%s"' % os.path.join(root, "presets")),
    ],
    # The program keeps its assertions on in every build; so does the module.
    undef_macros=["NDEBUG"],
    extra_compile_args=["-O2"] + lua_cflags,
    extra_link_args=lua_libs,
    cxx_std=17,
)

setup(
    name="orvane",
    version="0.1.0",
    description="Evaluation of named-entity annotation: slot error rate, precision, recall, "
    "F-measure and agreement, with the least-cost alignment of entities",
    packages=["orvane"],
    package_data={"orvane": ["py.typed", "__init__.pyi"]},
    ext_modules=[extension],
    cmdclass={"build_ext": build_ext, "build_py": build_py_with_presets},
    python_requires=">=3.9",
)

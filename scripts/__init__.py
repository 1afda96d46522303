"""The project's commands; a package so that its Python ones run as modules
from the repository's root (python3 -B -m scripts.fps_ratio) and import the
end-to-end harness as tests.e2e."""

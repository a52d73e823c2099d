// hostprep: placeholder until the library lands.

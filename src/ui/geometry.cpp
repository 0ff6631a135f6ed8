// geometry

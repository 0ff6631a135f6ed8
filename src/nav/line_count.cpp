// line_count

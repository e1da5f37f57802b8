-- Run by LanguageServerEndToEndTest in headless Neovim 0.7: starts
-- quillmark-format --lsp ($QM_FORMAT_EXE) as a language server, and for each
-- line "input<TAB>output<TAB>lines" of $QM_JOBS opens the input, formats it
-- (the whole buffer, or the 1-based lines "A:B" through rangeFormatting) and
-- writes the buffer's lines to the output file. With lines "type:TEXT" it
-- first types TEXT on every line, after the line's first non-ASCII character
-- and at its end, so that Neovim sends the server incremental changes at
-- UTF-16 positions; the typed buffer goes to output .. '.typed', and then the
-- whole buffer is formatted. Any failure ends Neovim with status 1 and a
-- message on standard error.
local function write_buffer(bufnr, path)
  local file = assert(io.open(path, 'wb'))
  file:write(table.concat(vim.api.nvim_buf_get_lines(bufnr, 0, -1, true), '\n'))
  if vim.bo[bufnr].eol and vim.api.nvim_buf_line_count(bufnr) > 0 then
    file:write('\n')
  end
  file:close()
end

local function type_on_every_line(bufnr, typed)
  for row = 0, vim.api.nvim_buf_line_count(bufnr) - 1 do
    local line = vim.api.nvim_buf_get_lines(bufnr, row, row + 1, true)[1]
    vim.api.nvim_buf_set_text(bufnr, row, #line, row, #line, { typed })
    local first = line:find('[\128-\255]')
    if first then
      -- The byte after the whole character: its lead byte gives its length.
      local lead = line:byte(first)
      local after = first + (lead >= 0xF0 and 4 or lead >= 0xE0 and 3 or 2) - 1
      vim.api.nvim_buf_set_text(bufnr, row, after, row, after, { typed })
    end
  end
end

local function run()
  local client_id = vim.lsp.start_client({
    name = 'quillmark',
    cmd = { os.getenv('QM_FORMAT_EXE'), '--lsp' },
    root_dir = vim.fn.getcwd(),
  })
  assert(client_id, 'the server did not start')
  for job in io.lines(os.getenv('QM_JOBS')) do
    local input, output, lines = job:match('^([^\t]*)\t([^\t]*)\t(.*)$')
    vim.cmd('edit ' .. vim.fn.fnameescape(input))
    local bufnr = vim.api.nvim_get_current_buf()
    vim.bo[bufnr].readonly = false -- the corpus may be read-only; the buffer is never written
    assert(vim.lsp.buf_attach_client(bufnr, client_id), 'cannot attach to ' .. input)
    assert(vim.wait(10000, function()
      local client = vim.lsp.get_client_by_id(client_id)
      return client ~= nil and client.initialized
    end), 'the server did not initialize')
    local client = vim.lsp.get_client_by_id(client_id)
    local typed = lines:match('^type:(.*)$')
    if typed then
      type_on_every_line(bufnr, typed)
      write_buffer(bufnr, output .. '.typed')
      vim.lsp.buf.formatting_sync(nil, 60000)
    elseif lines == '' then
      vim.lsp.buf.formatting_sync(nil, 60000)
      -- Neovim sends the edits it applied back as changes, bottom up; the
      -- server's text must then be the buffer's, which is formatted already.
      local formatted = vim.api.nvim_buf_get_lines(bufnr, 0, -1, true)
      vim.lsp.buf.formatting_sync(nil, 60000)
      assert(vim.deep_equal(formatted, vim.api.nvim_buf_get_lines(bufnr, 0, -1, true)),
             'formatting ' .. input .. ' again changed it')
    else
      local first, last = lines:match('^(%d+):(%d+)$')
      local params = vim.lsp.util.make_given_range_params(
        { tonumber(first), 0 }, { tonumber(last), 0 }, bufnr)
      local answer = client.request_sync('textDocument/rangeFormatting', params, 60000, bufnr)
      assert(answer and answer.result, 'no range formatting for ' .. input .. ': ' .. vim.inspect(answer))
      vim.lsp.util.apply_text_edits(answer.result, bufnr, client.offset_encoding)
    end
    write_buffer(bufnr, output)
    vim.cmd('bwipeout!')
  end
  vim.lsp.stop_client(client_id)
end

local ok, err = pcall(run)
if not ok then
  io.stderr:write(tostring(err) .. '\n')
  vim.cmd('cquit 1')
end
vim.cmd('qall!')
